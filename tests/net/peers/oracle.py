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

import wire_reference as wire


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


def main(argv):
    op = argv[1]
    arg = argv[2] if len(argv) == 5 else ""
    records = read_records(argv[-2])
    write_records(argv[-1], [OPS[op](r, arg) for r in records])


if __name__ == "__main__":
    main(sys.argv)
