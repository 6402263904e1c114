#!/usr/bin/env python3
"""A netpeer that echoes under a descriptor limit smaller than its clients: it serves the
connected ones, waits without spinning while the rest queue, and serves the queued ones
once others close."""
import os
import socket
import subprocess
import sys
import time

from bad_peer import connect, frame, free_port, quit_and_report, read_exact

# The limit leaves room for the standard streams, the listener, the pump's readiness set
# and 60 clients: once 40 of the first ones close, the last 20 all fit.
LIMIT, CLIENTS, CLOSED = 65, 100, 40


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def echoed(s, body):
    s.sendall(frame(body))
    try:
        return read_exact(s, 4 + len(body)) == frame(body)
    except OSError:
        return False


def main():
    netpeer, port = sys.argv[1], free_port()
    server = subprocess.Popen(["bash", "-c", f'ulimit -n {LIMIT} && exec "$0" echo {port}', netpeer])
    failures = []
    clients = []
    try:
        clients.append(connect(port))
        for _ in range(CLIENTS - 1):
            clients.append(socket.create_connection(("127.0.0.1", port), timeout=10))
        time.sleep(1.0)
        # Waiting clients must not make the pump spin: a busy loop takes a whole core.
        hz = os.sysconf("SC_CLK_TCK")
        before, start = cpu_ticks(server.pid), time.monotonic()
        time.sleep(3.0)
        used = (cpu_ticks(server.pid) - before) / hz / (time.monotonic() - start)
        if used > 0.5:
            failures.append(f"idle at the limit uses {used:.0%} of a core")
        if not all(echoed(s, b"early") for s in clients[:10]):
            failures.append("connected clients not served")
        for s in clients[:CLOSED]:
            s.close()
        if not all(echoed(s, b"late") for s in clients[-20:]):
            failures.append("queued clients not served after others closed")
    except BaseException:
        server.kill()
        raise
    finally:
        for s in clients:
            s.close()
    return quit_and_report(server, port, failures)


if __name__ == "__main__":
    sys.exit(main())
