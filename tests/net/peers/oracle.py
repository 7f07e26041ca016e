#!/usr/bin/python3
"""Independent answers for the unit tests, from Python's own zlib, hashlib, base64 and the
cryptography package.

Usage: oracle.py OP [ARG] IN OUT
IN and OUT hold records framed as [u32 little-endian length][bytes]; OP is applied to every
record of IN and the results are written to OUT in the same framing.
"""
import base64
import hashlib
import struct
import sys
import zlib

import _paths  # noqa: F401
from xlwire import wire


def read_records(path):
    data = open(path, "rb").read()
    records, pos = [], 0
    while pos < len(data):
        (n,) = struct.unpack_from("<I", data, pos)
        records.append(data[pos + 4:pos + 4 + n])
        pos += 4 + n
    return records


def write_records(path, records):
    with open(path, "wb") as f:
        for r in records:
            f.write(struct.pack("<I", len(r)) + r)


OPS = {
    "crc32": lambda r, a: struct.pack("<I", zlib.crc32(r)),
    "md5": lambda r, a: hashlib.md5(r).digest(),
    "b64": lambda r, a: base64.b64encode(r),
    "b64decode": lambda r, a: base64.b64decode(r),
    "aes-encrypt": lambda r, a: wire.aes_encrypt_padded(bytes.fromhex(a), r),
    "aes-decrypt": lambda r, a: wire.aes_decrypt(bytes.fromhex(a), r),
    "zlib-sync": lambda r, a: wire.zlib_sync_stream(r),
    "zlib-finish": lambda r, a: zlib.compress(r),
    "zlib-inflate": lambda r, a: zlib.decompressobj().decompress(r),
    # Wire layouts: ARG is "keyhex:encrypt:compress" ("-" for no key).
    "pack": lambda r, a: wire.pack_record(r, *wire.parse_settings(a)),
    "unpack": lambda r, a: wire.unpack_record(r, *wire.parse_settings(a)),
}


def encode_message(record, arg):
    """record: <5I msg_id, message_id, first_serial, type, needs_reply> + data -> frame stream."""
    msg_id, message_id, serial, ftype, needs_reply = struct.unpack_from("<5I", record)
    key, enc, comp = wire.parse_settings(arg)
    body = wire.pack(wire.message(msg_id, record[20:]), key, enc, comp)
    return b"".join(wire.message_frames(body, message_id, serial, needs_reply, ftype))


def decode_stream(stream, arg):
    """A stream holding the frames of one message -> <5I type, message_id, needs_reply,
    first_serial, frames> + the unpacked message. Checks serials and piece order."""
    key, _, _ = wire.parse_settings(arg)
    raw_frames, rest = wire.cut_stream(stream)
    if rest:
        raise wire.WireError("trailing bytes")
    fields = [f for f in (wire.parse_frame(r) for r in raw_frames) if f is not None]
    for i, f in enumerate(fields):
        if f["serial"] != fields[0]["serial"] + i or f["index"] != i + 1 or f["msg_id"] != fields[0]["msg_id"]:
            raise wire.WireError("frame %d out of sequence" % i)
        if f["last"] != (1 if i == len(fields) - 1 else 0) or f["crc_flag"] != 1:
            raise wire.WireError("frame %d flags wrong" % i)
        if any(f[z] for z in ("zero1", "zero2", "zero3", "zero4", "zero5")):
            raise wire.WireError("reserved word set")
    body = b"".join(f["piece"] for f in fields)
    head = fields[0]
    return struct.pack("<5I", head["type"], head["msg_id"], head["needs_reply"], head["serial"],
                       len(fields)) + wire.unpack(body, key)


OPS["encode-message"] = encode_message
OPS["decode-stream"] = decode_stream


def main(argv):
    op = argv[1]
    arg = argv[2] if len(argv) == 5 else ""
    records = read_records(argv[-2])
    write_records(argv[-1], [OPS[op](r, arg) for r in records])


if __name__ == "__main__":
    main(sys.argv)
