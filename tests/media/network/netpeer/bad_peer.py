#!/usr/bin/env python3
"""A plain peer sends bad frames to a netpeer that echoes; the library must close the
connection, and keep serving new connections after each one."""
import socket
import struct
import subprocess
import sys
import time


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def connect(port):
    for _ in range(200):
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=10)
        except OSError:
            time.sleep(0.05)
    raise RuntimeError("cannot connect")


def frame(body):
    return struct.pack("<I", len(body)) + body


def read_exact(s, n):
    data = b""
    while len(data) < n:
        piece = s.recv(n - len(data))
        if not piece:
            raise RuntimeError("closed early")
        data += piece
    return data


def closed_by_library(s):
    """True when the library ends the connection within the socket's timeout."""
    try:
        while True:
            if not s.recv(65536):
                return True
    except ConnectionResetError:
        return True
    except socket.timeout:
        return False


def echo_works(port, body):
    with connect(port) as s:
        s.sendall(frame(body))
        got = read_exact(s, 4 + len(body))
        return got == frame(body)


def quit_and_report(server, port, failures):
    """Asks the echoing netpeer to end, and reports; the exit status of the test."""
    try:
        with connect(port) as s:
            s.sendall(frame(b"quit"))
        server.wait(timeout=60)
        if server.returncode != 0:
            failures.append("echo status %d" % server.returncode)
    finally:
        if server.poll() is None:
            server.kill()
    for f in failures:
        print("FAILED:", f)
    return 1 if failures else 0


def main():
    netpeer = sys.argv[1]
    port = free_port()
    server = subprocess.Popen([netpeer, "echo", str(port)])
    failures = []
    try:
        if not echo_works(port, b"hello"):
            failures.append("plain echo")
        cases = [
            ("prefix 0xFFFFFFFF", struct.pack("<I", 0xFFFFFFFF) + b"x" * 100, False),
            ("prefix 16 MiB + 1", struct.pack("<I", 16 * 1024 * 1024 + 1) + b"x" * 100, False),
            ("two prefix bytes, then close", b"\x10\x00", True),
            ("prefix 100 and 50 body bytes, then close", struct.pack("<I", 100) + b"y" * 50, True),
        ]
        for name, data, half_close in cases:
            with connect(port) as s:
                s.sendall(frame(b"before"))
                if read_exact(s, 10) != frame(b"before"):
                    failures.append(name + ": echo before")
                s.sendall(data)
                if half_close:
                    s.shutdown(socket.SHUT_WR)
                if not closed_by_library(s):
                    failures.append(name + ": not closed")
            if not echo_works(port, name.encode()):
                failures.append(name + ": no echo afterwards")
    except BaseException:
        server.kill()
        raise
    return quit_and_report(server, port, failures)


if __name__ == "__main__":
    sys.exit(main())
