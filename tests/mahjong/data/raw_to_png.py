#!/usr/bin/python3
"""raw_to_png.py RAW WIDTH HEIGHT PNG: a B, G, R, A frame buffer as a PNG for a person to look at."""
import sys

from PIL import Image

raw, width, height, png = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
Image.frombytes('RGBA', (width, height), open(raw, 'rb').read(), 'raw', 'BGRA').convert('RGB').save(png)
