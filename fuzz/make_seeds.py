#!/usr/bin/python3
"""Writes the small seed inputs of the fuzz targets into fuzz/corpus/<target>/ (run once; the
files are kept in the repository so that a fuzz run starts from valid inputs)."""
import io
import os
import sys

from PIL import Image

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tools", "py"))
from xlwire import wire  # noqa: E402


def write(target, name, data):
    folder = os.path.join(here, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def picture(fmt, **kw):
    img = Image.new("RGBA" if fmt in ("PNG",) else "RGB", (5, 3), (10, 20, 30))
    img.putpixel((1, 1), (255, 0, 255))
    out = io.BytesIO()
    if fmt == "GIF":
        second = Image.new("RGB", (5, 3), (200, 100, 0))
        img.save(out, "GIF", save_all=True, append_images=[second], duration=[40, 80], loop=0)
    else:
        img.save(out, fmt, **kw)
    return out.getvalue()


# Selector byte: 1 BMP, 2 GIF, 3 JPEG, 4 PNG (0 is the engine's own picture format).
for sel, fmt in ((1, "BMP"), (2, "GIF"), (3, "JPEG"), (4, "PNG")):
    write("pictures", fmt.lower(), bytes([sel]) + picture(fmt))

# Selector byte: bit 1 compressed; no encryption (the key table is the program's).
for flags, compress in ((0, 0), (2, wire.FLAG_ZLIB)):
    raw = wire.message(222170, bytes(range(64)) * 3)
    body = wire.pack(raw, compress=compress)
    stream = b"".join(wire.message_frames(body, 222170, 1, max_piece=100))
    write("wire_stream", "flags%d" % flags, bytes([flags]) + stream)

write("gbk_text", "mixed", "清一色 abc 两".encode("gbk"))
