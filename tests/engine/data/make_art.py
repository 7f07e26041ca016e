#!/usr/bin/python3
"""Draws our own small artwork for the pack builder tests into a folder, with raw references.

sheet.png: 8 x 16, four 8 x 4 frames of different colours, alpha ramp; sheet.rgba its pixels.
ok0.png, ok1.png: two 5 x 3 frames; keyed.bmp: 4 x 2 with magenta (FF00FF) pixels;
tick.wav: some bytes standing in for a sound.
"""
import os
import sys

from PIL import Image

out = sys.argv[1]
sheet = Image.new('RGBA', (8, 16))
for y in range(16):
    for x in range(8):
        f = y // 4
        sheet.putpixel((x, y), (40 * f + x, 10 * y, 200 - 30 * f, 255 if x < 6 else 30 * x))
sheet.save(os.path.join(out, 'sheet.png'))
open(os.path.join(out, 'sheet.rgba'), 'wb').write(sheet.tobytes())
for i in range(2):
    im = Image.new('RGB', (5, 3), (100 + 50 * i, 20, 30))
    im.putpixel((2, 1), (0, 0, 0))
    im.save(os.path.join(out, 'ok%d.png' % i))
keyed = Image.new('RGB', (4, 2), (9, 8, 7))
keyed.putpixel((1, 0), (255, 0, 255))
keyed.putpixel((3, 1), (255, 0, 255))
keyed.save(os.path.join(out, 'keyed.bmp'))
open(os.path.join(out, 'tick.wav'), 'wb').write(b'RIFF....WAVEfmt fake sound bytes')
