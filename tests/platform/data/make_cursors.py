# make_cursors.py OUTDIR: cursor files with known pixels, written from first principles
# (icon directory, bitmap header, colour rows and mask bottom-up, RIFF animated cursors).
import os, struct, sys, zlib

out = sys.argv[1]
os.makedirs(out, exist_ok=True)

def dib(width, height, bpp, pixels, mask, palette=()):
    """pixels[y][x]: 0xAARRGGBB for 32 bpp, 0xRRGGBB for 24, palette index below; mask[y][x] 0/1; top row first."""
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bpp, 0, 0, 0, 0, len(palette), 0)
    pal = b"".join(struct.pack("<I", c) for c in palette)
    rows = b""
    for y in reversed(range(height)):
        if bpp == 32:
            row = b"".join(struct.pack("<I", p) for p in pixels[y])
        elif bpp == 24:
            row = b"".join(struct.pack("<I", p)[:3] for p in pixels[y])
        else:
            bits = "".join(format(p, "0%db" % bpp) for p in pixels[y])
            bits += "0" * (-len(bits) % 8)
            row = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
        rows += row + b"\0" * (-len(row) % 4)
    masks = b""
    for y in reversed(range(height)):
        bits = "".join(str(m) for m in mask[y]) + "0" * (-width % 8)
        row = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
        masks += row + b"\0" * (-len(row) % 4)
    return header + pal + rows + masks

def icondir(kind, entries):
    """entries: (width, height, hx_or_planes, hy_or_bpp, image bytes)"""
    head = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    table, body = b"", b""
    for w, h, a, b, img in entries:
        table += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, a, b, len(img), offset + len(body))
        body += img
    return head + table + body

def png(width, height, rgba_rows):
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))

def save(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)

# 16x16, 32 bpp with alpha: left half opaque red, right half half-transparent blue; hot spot (3, 5).
alpha = [[0xFFFF0000 if x < 8 else 0x800000FF for x in range(16)] for y in range(16)]
save("alpha.cur", icondir(2, [(16, 16, 3, 5, dib(16, 16, 32, alpha, [[0] * 16 for _ in range(16)]))]))

# 32x32, 1 bpp: palette black/white; top half white opaque, bottom-left quarter see-through
# (mask 1 over black), bottom-right quarter "inverting" (mask 1 over white); hot spot (31, 0).
mono_px = [[1 if (y < 16 or x >= 16) else 0 for x in range(32)] for y in range(32)]
mono_mask = [[0 if y < 16 else 1 for x in range(32)] for y in range(32)]
save("mono.cur", icondir(2, [(32, 32, 31, 0, dib(32, 32, 1, mono_px, mono_mask, (0x000000, 0xFFFFFF)))]))

# An icon file with 16x16 and 32x32 entries (8 bpp palette): the 32x32 one must be chosen.
small = [[1] * 16 for _ in range(16)]
big = [[2 if x == y else 3 for x in range(32)] for y in range(32)]
pal8 = (0x000000, 0x00FF00, 0x112233, 0x445566)
save("two.ico", icondir(1, [(16, 16, 1, 8, dib(16, 16, 8, small, [[0] * 16] * 16, pal8)),
                            (32, 32, 1, 8, dib(32, 32, 8, big, [[0] * 32] * 32, pal8))]))

# A cursor whose picture is a PNG: 4x2, RGBA.
rows = [[(255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 255), (0, 0, 0, 0)],
        [(10, 20, 30, 40), (1, 2, 3, 255), (0, 0, 0, 255), (255, 255, 255, 255)]]
save("png.cur", icondir(2, [(4, 2, 1, 1, png(4, 2, rows))]))

# Animated: two frames (solid green, solid red, 24 bpp), rates 6 and 12 jiffies, sequence 1, 0, 1.
def solid(c):
    return icondir(2, [(8, 8, 0, 0, dib(8, 8, 24, [[c] * 8 for _ in range(8)], [[0] * 8 for _ in range(8)]))])
def riff(tag, data):
    return tag + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")
anih = struct.pack("<9I", 36, 2, 3, 0, 0, 0, 0, 10, 3)
frames = riff(b"LIST", b"fram" + riff(b"icon", solid(0x00FF00)) + riff(b"icon", solid(0xFF0000)))
body = b"ACON" + riff(b"anih", anih) + riff(b"rate", struct.pack("<3I", 6, 12, 6)) + riff(b"seq ", struct.pack("<3I", 1, 0, 1)) + frames
save("anim.ani", b"RIFF" + struct.pack("<I", len(body)) + body)

# Damaged files.
good = open(os.path.join(out, "alpha.cur"), "rb").read()
save("cut.cur", good[:60])
save("badoffset.cur", good[:18] + struct.pack("<I", 0xFFFFFFF0) + good[22:])
