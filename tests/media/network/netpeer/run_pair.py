#!/usr/bin/env python3
"""Two netpeer processes on loopback, one listening and one connecting, exchange 1,000
messages of random sizes; both must end with status 0 and agree on the totals."""
import socket
import subprocess
import sys


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def totals(output):
    lines = dict(line.split(" ", 1) for line in output.strip().splitlines())
    return lines["sent"], lines["received"]


def main():
    netpeer = sys.argv[1]
    count = sys.argv[2] if len(sys.argv) > 2 else "1000"
    port = str(free_port())
    listener = subprocess.Popen([netpeer, "listen", port, count, "11"], stdout=subprocess.PIPE, text=True)
    connector = subprocess.Popen([netpeer, "connect", "127.0.0.1", port, count, "29"], stdout=subprocess.PIPE,
                                 text=True)
    try:
        out_l, _ = listener.communicate(timeout=240)
        out_c, _ = connector.communicate(timeout=240)
    except subprocess.TimeoutExpired:
        listener.kill()
        connector.kill()
        print("netpeer did not finish")
        return 1
    if listener.returncode != 0 or connector.returncode != 0:
        print("status", listener.returncode, connector.returncode)
        return 1
    sent_l, received_l = totals(out_l)
    sent_c, received_c = totals(out_c)
    print("listener:", out_l.strip().replace("\n", "; "))
    print("connector:", out_c.strip().replace("\n", "; "))
    if sent_l != received_c or sent_c != received_l:
        print("totals differ")
        return 1
    if not sent_l.startswith(count + " "):
        print("wrong message count")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
