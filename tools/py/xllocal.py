"""Local (Unix-domain) socket addresses as text, as the client reads them (platform/LocalSocket.h):
a path, or "@name" for a name in Linux's abstract namespace. A path holds at most 107 bytes, so
one under a long TMPDIR cannot be bound; an abstract name has no folder to make or remove and goes
with its last socket, even when its owner is killed. It has no file permissions: listeners check
each peer's user (peer_is_own_user)."""

from __future__ import annotations

import os
import socket
import struct


def private_name(tag: str) -> str:
    """A fresh abstract name for a private socket: "@xl-<tag>-<pid>-<16 random hex digits>"."""
    return f"@xl-{tag}-{os.getpid()}-{os.urandom(8).hex()}"


def sockaddr(address: str) -> str:
    """The address as Python's socket calls take it (a leading NUL for an abstract name)."""
    return "\0" + address[1:] if address.startswith("@") else address


def listen(address: str, kind=socket.SOCK_STREAM, backlog: int = 4) -> socket.socket:
    """A socket listening on the address; a path's old socket file is replaced."""
    s = socket.socket(socket.AF_UNIX, kind)
    if not address.startswith("@") and os.path.exists(address):
        os.unlink(address)
    s.bind(sockaddr(address))
    s.listen(backlog)
    return s


def connect(address: str, kind=socket.SOCK_STREAM, timeout: float | None = None) -> socket.socket:
    s = socket.socket(socket.AF_UNIX, kind)
    s.settimeout(timeout)
    try:
        s.connect(sockaddr(address))
    except OSError:
        s.close()
        raise
    return s


def peer_is_own_user(conn: socket.socket) -> bool:
    uid = struct.unpack("3i", conn.getsockopt(socket.SOL_SOCKET, socket.SO_PEERCRED, 12))[1]
    return uid == os.getuid()


def command(address: str, line: dict, timeout: float = 10.0) -> dict:
    """One JSON command to a control socket (tools/server/game_server.py), its answer line."""
    import json

    with connect(address, timeout=timeout) as s:
        s.sendall((json.dumps(line) + "\n").encode())
        return json.loads(s.makefile().readline())


def wait_listening(address: str, seconds: float) -> bool:
    """Whether something listens on the address within the time (tried every 20 ms)."""
    import time

    end = time.monotonic() + seconds
    while True:
        try:
            connect(address, timeout=1).close()
            return True
        except OSError:
            if time.monotonic() > end:
                return False
            time.sleep(0.02)
