#!/usr/bin/python3
"""Loopback game-server peer for the socket client's tests, built on the xlwire codec.

Usage: game_peer.py PORT SETTINGS [--send-greeting]
SETTINGS is "keyhex:encrypt:compress" (see xlwire.wire.parse_settings). The peer listens on
127.0.0.1:PORT and serves one connection after another until killed. It expects the client's
greeting first (or, with --send-greeting, sends its own and expects none). It checks every frame
the client sends (length, CRC, type, serial, message id, piece numbering) and hangs up on the first
wrong one.

Every request the client sends selects what the peer does by its request id; the request data
is the argument. Replies carry response code 10 unless said otherwise.
"""
import socket
import struct
import sys
import time

import _paths  # noqa: F401
from xlwire import wire as w

ECHO = 100          # reply with the request's data
PUSH = 101          # data: u32 count, u32 size -> that many pushes (id 500, data = u32 index + filler)
PUSH_AND_REPLY = 102  # the pushes of PUSH, then the reply
LATE = 103          # data: u32 ms -> reply after that delay
STALE_FIRST = 104   # a reply piece under an older message id, then the real reply
AHEAD = 105         # a reply under a newer message id (the client must give up the connection)
BAD_CRC = 106       # a pushed frame whose CRC is wrong
SHORT_FRAME = 107   # a stream length word that no frame can have
OUT_OF_ORDER = 108  # a pushed message whose pieces come 1, 3, 2 (dropped), then a good push
RESET = 109         # the connection is reset
CLOSE = 110         # the connection is closed after a last push
STALL = 111         # one push saying it came, then never a reply
GARBAGE = 112       # random bytes
BIG_REPLY = 113     # data: u32 size -> a reply of that many bytes (many pieces)
UNREADABLE = 114    # a reply whose body cannot be unpacked, then the same reply done right
TWICE = 115         # the reply, then a copy of it (unsolicited once the first was taken)

PUSH_ID = 500


class Conn:
    def __init__(self, sock, settings):
        self.sock = sock
        self.key, self.enc, self.comp = settings
        self.serial = 0
        self.push_ids = 0
        self.reader = w.SocketReader(sock)
        self.client_serial = 0   # serial of the client's last frame
        self.client_msg_id = 0   # id of the client's last message

    def recv_exact(self, n):
        return self.reader.exact(n)

    def check_client_frame(self, f, first, index):
        """Every client frame is type 1 with a valid CRC, serials run 1, 2, 3... over the
        connection, message ids 1, 2, 3..., and the pieces of one message are numbered from 1
        under one id and one needs-reply flag."""
        problems = []
        if f["type"] != w.TYPE_PUSH:
            problems.append("type %d" % f["type"])
        if f["crc_flag"] != 1:
            problems.append("no CRC")
        if f["serial"] != self.client_serial + 1:
            problems.append("serial %d after %d" % (f["serial"], self.client_serial))
        want_id = self.client_msg_id + 1 if first is None else first["msg_id"]
        if f["msg_id"] != want_id:
            problems.append("message id %d, expected %d" % (f["msg_id"], want_id))
        if f["index"] != index:
            problems.append("piece %d, expected %d" % (f["index"], index))
        if first is not None and f["needs_reply"] != first["needs_reply"]:
            problems.append("needs-reply flag changed within a message")
        if problems:
            raise w.WireError("client frame: " + ", ".join(problems))
        self.client_serial = f["serial"]

    def next_message(self):
        """Reads frames until a whole client message; returns (msg_id, request_id, data)."""
        body, msg_id, first = b"", None, None
        while True:
            (length,) = struct.unpack("<I", self.recv_exact(4))
            f = w.parse_frame(struct.pack("<I", length) + self.recv_exact(length))
            if f is None:
                continue
            self.check_client_frame(f, first, 1 if first is None else first["pieces"] + 1)
            if first is None:
                first = dict(f, pieces=0)
            first["pieces"] += 1
            msg_id = f["msg_id"]
            body += f["piece"]
            if f["last"]:
                break
        self.client_msg_id = msg_id
        req, data = w.parse_message(w.unpack(body, self.key))
        return msg_id, req, data

    def frames(self, msg_id, data, code, ftype):
        body = w.pack(w.message(code, data), self.key, self.enc, self.comp)
        return self.raw_frames(msg_id, body, ftype)

    def raw_frames(self, msg_id, body, ftype):
        fr = w.message_frames(body, msg_id, self.serial + 1, ftype=ftype)
        self.serial += len(fr)
        return fr

    def reply(self, msg_id, data, code=10):
        self.sock.sendall(b"".join(self.frames(msg_id, data, code, w.TYPE_REPLY)))

    def push(self, data, code=PUSH_ID):
        self.push_ids += 1
        self.sock.sendall(b"".join(self.frames(self.push_ids, data, code, w.TYPE_PUSH)))


def pushes(conn, data):
    count, size = struct.unpack_from("<II", data, 0)
    for i in range(count):
        conn.push(struct.pack("<I", i) + bytes((i + j) & 0xFF for j in range(max(size - 4, 0))))


def serve(conn):
    while True:
        msg_id, req, data = conn.next_message()
        if req == ECHO:
            conn.reply(msg_id, data)
        elif req == PUSH:
            pushes(conn, data)
        elif req == PUSH_AND_REPLY:
            pushes(conn, data)
            conn.reply(msg_id, b"done")
        elif req == LATE:
            time.sleep(struct.unpack("<I", data[:4])[0] / 1000.0)
            conn.reply(msg_id, data)
        elif req == STALE_FIRST:
            conn.reply(msg_id - 1, b"stale")
            conn.reply(msg_id, data)
        elif req == AHEAD:
            conn.reply(msg_id + 1, b"ahead")
        elif req == BAD_CRC:
            fr = bytearray(conn.frames(77, b"x" * 40, PUSH_ID, w.TYPE_PUSH)[0])
            fr[-1] ^= 0xFF
            conn.sock.sendall(bytes(fr))
        elif req == SHORT_FRAME:
            conn.sock.sendall(struct.pack("<I", 30) + b"\x00" * 30)
        elif req == OUT_OF_ORDER:
            fr = conn.frames(90, bytes(range(256)) * 40, PUSH_ID, w.TYPE_PUSH)
            conn.sock.sendall(fr[0] + fr[2] + fr[1])
            conn.push(struct.pack("<I", 4242))
            conn.reply(msg_id, b"after")
        elif req == RESET:
            conn.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            return
        elif req == CLOSE:
            conn.push(struct.pack("<I", 9999))
            return
        elif req == STALL:
            conn.push(struct.pack("<I", 1111))
        elif req == GARBAGE:
            conn.sock.sendall(bytes((i * 37 + 11) & 0xFF for i in range(3000)))
        elif req == UNREADABLE:
            conn.sock.sendall(b"".join(conn.raw_frames(msg_id, b"\xee" * 40, w.TYPE_REPLY)))
            conn.reply(msg_id, data)
        elif req == TWICE:
            conn.reply(msg_id, data)
            conn.reply(msg_id, data)
        elif req == BIG_REPLY:
            size = struct.unpack("<I", data[:4])[0]
            conn.reply(msg_id, bytes((i * 7) & 0xFF for i in range(size)))
        else:
            conn.reply(msg_id, b"", code=0)


def main():
    port = int(sys.argv[1])
    settings = w.parse_settings(sys.argv[2])
    send_greeting = "--send-greeting" in sys.argv[3:]
    srv = socket.socket()
    srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    srv.bind(("127.0.0.1", port))
    srv.listen(8)
    while True:
        sock, _ = srv.accept()
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        conn = Conn(sock, settings)
        try:
            if send_greeting:
                sock.sendall(w.greeting(b"server says hi\x00"))
            else:
                (n,) = struct.unpack("<I", conn.recv_exact(4))
                if conn.recv_exact(n) != w.GREETING_TEXT:
                    raise w.WireError("bad greeting")
            serve(conn)
        except w.WireError as e:
            print("game peer: %s" % e, file=sys.stderr, flush=True)
        except (EOFError, ConnectionError):
            pass
        finally:
            sock.close()


if __name__ == "__main__":
    main()
