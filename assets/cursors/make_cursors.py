#!/usr/bin/python3
"""Draws the two cursors the program ships (an arrow and a pointing hand) and writes them as
32 x 32 cursor files with 32-bit pixels: 130.cur (arrow) and 131.cur (hand)."""
import os
import struct

SIZE = 32

ARROW = [
    "X",
    "XX",
    "X.X",
    "X..X",
    "X...X",
    "X....X",
    "X.....X",
    "X......X",
    "X.......X",
    "X........X",
    "X.....XXXXX",
    "X..X..X",
    "X.X X..X",
    "XX  X..X",
    "X    X..X",
    "     X..X",
    "      XX",
]

HAND = [
    "     XX",
    "    X..X",
    "    X..X",
    "    X..X",
    "    X..X",
    "    X..XXX",
    "    X..X..XXX",
    "    X..X..X..XX",
    " XX X..X..X..X.X",
    "X..XX........X..X",
    "X...X...........X",
    " X..............X",
    "  X.............X",
    "  X............X",
    "   X...........X",
    "   X..........X",
    "    X.........X",
    "    X........X",
    "     XXXXXXXXX",
]


def pixels(shape):
    """Rows top first of (b, g, r, a): 'X' black outline, '.' white fill, else clear."""
    rows = []
    for y in range(SIZE):
        line = shape[y] if y < len(shape) else ""
        row = []
        for x in range(SIZE):
            c = line[x] if x < len(line) else " "
            row.append((0, 0, 0, 255) if c == "X" else (255, 255, 255, 255) if c == "." else (0, 0, 0, 0))
        rows.append(row)
    return rows


def cursor_file(shape, hot_x, hot_y):
    rows = pixels(shape)
    xor = b"".join(bytes(p) for row in reversed(rows) for p in row)  # bottom row first
    mask_stride = 4  # 32 bits a row, already a multiple of 4 bytes
    and_mask = bytearray()
    for row in reversed(rows):
        bits = 0
        for x, p in enumerate(row):
            if p[3] == 0:
                bits |= 1 << (31 - x)
        and_mask += struct.pack(">I", bits)
    assert len(and_mask) == SIZE * mask_stride
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + bytes(and_mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, hot_x, hot_y, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "130.cur"), "wb") as f:
        f.write(cursor_file(ARROW, 0, 0))
    with open(os.path.join(here, "131.cur"), "wb") as f:
        f.write(cursor_file(HAND, 5, 0))


if __name__ == "__main__":
    main()
