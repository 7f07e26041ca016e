#!/usr/bin/python3
"""The receiving end of the click benchmark's anchor, stamped as the game-server stand-in stamps
with --kernel-arrivals: listens on a free loopback port and prints it, takes one connection, and
prints for each byte the monotonic time (time.monotonic(), the clock of CLOCK_MONOTONIC) at which
the kernel received it, a line each, until the peer closes."""
import os
import socket
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "py"))
from xlwire import wire  # noqa: E402

server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(1)
print(server.getsockname()[1], flush=True)
conn, _ = server.accept()
conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
reader = wire.SocketReader(conn, stamped=True)
try:
    while True:
        reader.exact(1)
        print("%.6f" % reader.at, flush=True)
except EOFError:
    pass
