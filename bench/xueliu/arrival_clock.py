#!/usr/bin/python3
"""The receiving end of the click benchmark's anchor, reading as the game-server stand-in reads:
listens on a free loopback port and prints it, takes one connection, and prints the monotonic
time (time.monotonic(), the clock of CLOCK_MONOTONIC) at which each read returned, a line each,
until the peer closes."""
import socket
import time

server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(1)
print(server.getsockname()[1], flush=True)
conn, _ = server.accept()
conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
while True:
    chunk = conn.recv(65536)
    at = time.monotonic()
    if not chunk:
        break
    print("%.6f" % at, flush=True)
