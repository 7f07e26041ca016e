#!/usr/bin/python3
"""A loopback stand-in for the game server's side of the channel, built on wire_reference.

It accepts the greeting, checks every frame the client sends (length, CRC, serials, message
ids, piece order), unpacks each message, answers requests that wait for a reply and pushes
messages of its own; and it can misbehave on purpose (see FAULTS).

As a program it reports on stdout, one line per event, flushed:
  LISTENING <port> | GREETING ok|bad | MESSAGE <head id> <message id> <needs reply> <length> <md5>
  | ERROR <what> | CLOSED
and takes its behaviour from the command line (--help). As a module, GamePeer can be driven
from other Python test code with a handler of its own.
"""
import argparse
import asyncio
import hashlib
import socket
import struct
import sys

import wire_reference as wire

FAULTS = (
    "bad-crc",       # the first frame of the answer has a wrong CRC
    "len56",         # a frame with an empty piece (L = 56) before the answer
    "len24",         # a 28-byte frame before the answer (to be dropped silently)
    "huge-length",   # a length word of 0x7ffffff0 and nothing after it
    "out-of-order",  # the pieces of each push come 1, 3, 2, ...
    "stale-reply",   # a reply for an older message id before the real one
    "ahead-reply",   # the reply carries a message id one ahead
    "rst",           # the connection is reset instead of answered
    "fin",           # the connection is closed instead of answered
    "no-reply",      # requests are read but never answered
)


class PeerConfig:
    def __init__(self, key=None, encrypt=wire.FLAG_AES, compress=0, max_piece=wire.MAX_PIECE,
                 greeting=wire.GREETING_TEXT, send_greeting=None, reply_code=10, pushes=(),
                 fault=None, delay_ms=0):
        self.key = key
        self.encrypt = encrypt
        self.compress = compress
        self.max_piece = max_piece
        self.greeting = greeting          # expected from the client; None: client sends none
        self.send_greeting = send_greeting  # bytes the server sends first (wait mode), or None
        self.reply_code = reply_code
        self.pushes = list(pushes)        # (notification id, data bytes) sent after the greeting
        self.fault = fault
        self.delay_ms = delay_ms


def echo_handler(head_id, data, config):
    """Default answer to a request: the configured code with the request's own data."""
    return config.reply_code, data


class PeerConnection:
    def __init__(self, reader, writer, config, handler, report):
        self.reader, self.writer = reader, writer
        self.config, self.handler, self.report = config, handler, report
        self.buffer = b""
        self.expected_serial = 1
        self.last_message_id = 0
        self.assembling = None  # (message id, needs reply, next index, pieces)
        self.serial = 0
        self.push_id = 0

    # --- sending ------------------------------------------------------------------------
    def _next_serials(self, count):
        first = self.serial + 1
        self.serial += count
        return first

    def frames_for(self, head_id, data, message_id, ftype):
        body = wire.pack(wire.message(head_id, data), self.config.key, self.config.encrypt, self.config.compress)
        count = max(1, -(-len(body) // self.config.max_piece))
        return wire.message_frames(body, message_id, self._next_serials(count), 0, ftype, self.config.max_piece)

    async def send(self, frames):
        self.writer.write(b"".join(frames))
        await self.writer.drain()

    async def push(self, head_id, data):
        self.push_id += 1
        frames = self.frames_for(head_id, data, self.push_id, wire.TYPE_PUSH)
        if self.config.fault == "out-of-order" and len(frames) > 2:
            frames = [frames[0]] + frames[2:3] + frames[1:2] + frames[3:]
        await self.send(frames)

    async def answer(self, message_id, head_id, data):
        fault = self.config.fault
        if self.config.delay_ms:
            await asyncio.sleep(self.config.delay_ms / 1000)
        if fault == "no-reply":
            return
        if fault in ("rst", "fin"):
            self.close(reset=fault == "rst")
            return
        code, reply = self.handler(head_id, data, self.config)
        prefix = []
        if fault == "len56":
            prefix.append(struct.pack("<I", 56) + bytes(56))
        elif fault == "len24":
            prefix.append(struct.pack("<I", 24) + bytes(24))
        elif fault == "huge-length":
            await self.send([struct.pack("<I", 0x7FFFFFF0)])
            return
        elif fault == "stale-reply" and message_id > 1:
            prefix += self.frames_for(code, b"stale", message_id - 1, wire.TYPE_REPLY)
        reply_id = message_id + 1 if fault == "ahead-reply" else message_id
        frames = self.frames_for(code, reply, reply_id, wire.TYPE_REPLY)
        if fault == "bad-crc":
            first = bytearray(frames[0])
            first[16] ^= 0xFF
            frames[0] = bytes(first)
        await self.send(prefix + frames)

    def close(self, reset=False):
        if reset:
            sock = self.writer.get_extra_info("socket")
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.writer.close()

    # --- receiving ----------------------------------------------------------------------
    async def read_greeting(self):
        if self.config.send_greeting is not None:
            await self.send([wire.greeting(self.config.send_greeting)])
        if self.config.greeting is None:
            return
        raw = await self.reader.readexactly(4 + len(self.config.greeting))
        self.report("GREETING %s" % ("ok" if raw == wire.greeting(self.config.greeting) else "bad"))

    def check_frame(self, fields):
        if fields["type"] != wire.TYPE_PUSH:
            raise wire.WireError("client frame of type %d" % fields["type"])
        if fields["crc_flag"] != 1:
            raise wire.WireError("frame without CRC")
        if fields["serial"] != self.expected_serial:
            raise wire.WireError("serial %d, expected %d" % (fields["serial"], self.expected_serial))
        self.expected_serial += 1
        if any(fields[z] for z in ("zero1", "zero2", "zero3", "zero4", "zero5")):
            raise wire.WireError("reserved word set")

    async def on_frame(self, fields):
        self.check_frame(fields)
        if self.assembling is None:
            if fields["index"] != 1 or fields["msg_id"] != self.last_message_id + 1:
                raise wire.WireError("message %d piece %d out of order" % (fields["msg_id"], fields["index"]))
            self.last_message_id = fields["msg_id"]
            self.assembling = [fields["msg_id"], fields["needs_reply"], 1, []]
        elif fields["msg_id"] != self.assembling[0] or fields["index"] != self.assembling[2]:
            raise wire.WireError("piece %d of message %d out of order" % (fields["index"], fields["msg_id"]))
        self.assembling[2] += 1
        self.assembling[3].append(fields["piece"])
        if not fields["last"]:
            return
        message_id, needs_reply, _, pieces = self.assembling
        self.assembling = None
        head_id, data = wire.parse_message(wire.unpack(b"".join(pieces), self.config.key))
        self.report("MESSAGE %d %d %d %d %s" % (head_id, message_id, needs_reply, len(data),
                                                 hashlib.md5(data).hexdigest()))
        if needs_reply:
            await self.answer(message_id, head_id, data)

    async def run(self):
        try:
            await self.read_greeting()
            for head_id, data in self.config.pushes:
                await self.push(head_id, data)
            while True:
                chunk = await self.reader.read(65536)
                if not chunk:
                    break
                self.buffer += chunk
                frames, self.buffer = wire.cut_stream(self.buffer, self.config.max_piece)
                for raw in frames:
                    fields = wire.parse_frame(raw, self.config.max_piece)
                    if fields is not None:
                        await self.on_frame(fields)
        except wire.WireError as e:
            self.report("ERROR %s" % e)
        except (asyncio.IncompleteReadError, ConnectionError):
            pass
        finally:
            self.report("CLOSED")
            if not self.writer.is_closing():
                self.writer.close()


class GamePeer:
    """Listens on 127.0.0.1; every connection is served by a PeerConnection."""

    def __init__(self, config, handler=echo_handler, report=print):
        self.config, self.handler, self.report = config, handler, report
        self.server = None
        self.serving = set()  # the loop holds its tasks weakly; these must not be collected

    async def start(self, port=0):
        self.server = await asyncio.start_server(self._serve, "127.0.0.1", port)
        return self.server.sockets[0].getsockname()[1]

    async def _serve(self, reader, writer):
        task = asyncio.current_task()
        self.serving.add(task)
        try:
            await PeerConnection(reader, writer, self.config, self.handler, self.report).run()
        finally:
            self.serving.discard(task)


def parse_pushes(text):
    """"id:size,id:size" -> pushes of deterministic data of those sizes."""
    pushes = []
    for item in filter(None, (text or "").split(",")):
        head_id, size = (int(x, 0) for x in item.split(":"))
        pushes.append((head_id, bytes((i * 7 + head_id) & 0xFF for i in range(size))))
    return pushes


def main(argv):
    ap = argparse.ArgumentParser(description="loopback game-channel peer")
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--key", required=True, help="AES key, hex")
    ap.add_argument("--encrypt", type=lambda s: int(s, 0), default=wire.FLAG_AES)
    ap.add_argument("--compress", type=lambda s: int(s, 0), default=0)
    ap.add_argument("--no-greeting", action="store_true", help="the client sends no greeting")
    ap.add_argument("--send-greeting", help="text the server sends first (wait mode)")
    ap.add_argument("--reply-code", type=int, default=10)
    ap.add_argument("--push", help="notifications after the greeting: id:size,id:size")
    ap.add_argument("--fault", choices=FAULTS)
    ap.add_argument("--delay-ms", type=int, default=0)
    ap.add_argument("--once", action="store_true", help="exit after the first connection ends")
    args = ap.parse_args(argv[1:])
    config = PeerConfig(key=bytes.fromhex(args.key), encrypt=args.encrypt, compress=args.compress,
                        greeting=None if args.no_greeting else wire.GREETING_TEXT,
                        send_greeting=args.send_greeting.encode() if args.send_greeting else None,
                        reply_code=args.reply_code, pushes=parse_pushes(args.push), fault=args.fault,
                        delay_ms=args.delay_ms)

    def report(line):
        try:
            print(line, flush=True)
        except BrokenPipeError:  # nobody is listening any more; keep serving to the end
            pass

    async def serve():
        done = asyncio.Event()

        def on_report(line):
            report(line)
            if args.once and line == "CLOSED":
                done.set()

        peer = GamePeer(config, report=on_report)
        report("LISTENING %d" % await peer.start(args.port))
        if args.once:
            await done.wait()
        else:
            await asyncio.Event().wait()

    try:
        asyncio.run(serve())
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main(sys.argv)
