#!/usr/bin/python3
"""Writes small test pictures into a folder, each with a reference decode by Pillow.

For every picture NAME.EXT it writes NAME.EXT.ref: a first line "width height frames
delays(comma list or -)" and then the RGBA bytes of every frame, top row first.
"""
import os
import random
import shlex
import subprocess
import sys

from PIL import Image, ImageSequence

out = sys.argv[1]
rng = random.Random(42)


def noise(mode, size, colours=None):
    im = Image.new(mode, size)
    w, h = size
    for y in range(h):
        for x in range(w):
            if mode == 'RGBA':
                im.putpixel((x, y), (rng.randrange(256), rng.randrange(256), rng.randrange(256),
                                     rng.choice([0, 255, rng.randrange(256)])))
            elif mode == 'RGB':
                im.putpixel((x, y), (rng.randrange(256), rng.randrange(256), rng.randrange(256)))
            elif mode == 'L':
                im.putpixel((x, y), rng.randrange(256))
            elif mode == 'P':
                im.putpixel((x, y), rng.randrange(colours))
            elif mode == '1':
                im.putpixel((x, y), rng.randrange(2) * 255)
    return im


def palette_image(size, colours):
    im = noise('P', size, colours)
    pal = []
    for _ in range(colours):
        pal += [rng.randrange(256) for _ in range(3)]
    im.putpalette(pal)
    return im


def reference(path):
    im = Image.open(path)
    frames, delays = [], []
    for frame in ImageSequence.Iterator(im):
        frames.append(frame.convert('RGBA').tobytes())
        delays.append(str(frame.info.get('duration', 0)))
    w, h = im.size
    d = ','.join(delays) if len(frames) > 1 else '-'
    with open(path + '.ref', 'wb') as f:
        f.write(('%d %d %d %s\n' % (w, h, len(frames), d)).encode())
        for fr in frames:
            f.write(fr)


def save(im, name, **kw):
    path = os.path.join(out, name)
    im.save(path, **kw)
    reference(path)


save(noise('RGBA', (7, 5)), 'rgba.png')
save(noise('L', (6, 4)), 'gray.png')
p = palette_image((9, 4), 5)
save(p, 'pal_key.png', transparency=2)
save(p, 'pal_alpha.png', transparency=bytes([0, 128, 255, 40]))
save(p, 'pal_plain.png')
rgb = noise('RGB', (5, 5))
rgb.putpixel((1, 1), (10, 20, 30))
rgb.putpixel((3, 2), (10, 20, 30))
save(rgb, 'rgb_key.png', transparency=(10, 20, 30))
save(noise('RGB', (4, 3)), 'rgb_key_unused.png', transparency=(1, 2, 3))
save(noise('RGB', (16, 8)).resize((32, 16)), 'photo.jpg', quality=95)
save(noise('L', (8, 8)).resize((16, 16)), 'gray.jpg', quality=95)
cmyk = Image.new('CMYK', (6, 4), (10, 200, 30, 40))
cmyk.putpixel((1, 1), (255, 0, 0, 0))
cmyk.putpixel((2, 1), (0, 90, 180, 250))
save(cmyk, 'cmyk.jpg', quality=100)
save(noise('RGBA', (5, 3)), 'rgba32.bmp')
save(palette_image((5, 3), 200), 'pal8.bmp')
save(noise('RGB', (5, 3)), 'odd24.bmp')
save(noise('1', (11, 3)), 'mono.bmp')
save(palette_image((6, 3), 16), 'pal4src.png')

# GIFs made by ImageMagick: three frames with delay 0 (shown for 40 ms) and a key colour, and
# a single frame.
frames = []
for i in range(3):
    f = palette_image((6, 4), 4)
    f.putpalette([255, 0, 255, 10 * i, 20, 30, 200, 100, 50, 0, 0, 0])
    name = os.path.join(out, 'gif_src%d.png' % i)
    f.save(name)
    frames.append(name)
anim = os.path.join(out, 'anim.gif')
subprocess.check_call(['convert', '-delay', '0', '-dispose', 'None'] + frames + ['-transparent', '#ff00ff', anim])
reference(anim)
slow = os.path.join(out, 'slow.gif')
subprocess.check_call(['convert', '-delay', '7', frames[0], '-delay', '12', frames[1], slow])
reference(slow)
one = os.path.join(out, 'one.gif')
subprocess.check_call(['convert', frames[0], one])
reference(one)
# Disposal to the background and to the previous frame.
parts = []
for i, draw in enumerate(['xc:red -fill blue -draw "point 1,1"', 'xc:none -fill green -draw "rectangle 2,1 4,2"',
                          'xc:none -fill yellow -draw "point 0,0"']):
    name = os.path.join(out, 'disp%d.png' % i)
    subprocess.check_call(['convert', '-size', '6x4'] + shlex.split(draw) + [name])
    parts.append(name)
disp = os.path.join(out, 'disp.gif')
subprocess.check_call(['convert', '-delay', '5', '-dispose', 'Background', parts[0], '-dispose', 'Previous', parts[1],
                       '-dispose', 'None', parts[2], disp])
reference(disp)
four = os.path.join(out, 'pal4.bmp')
subprocess.check_call(['convert', os.path.join(out, 'pal4src.png'), '-type', 'Palette', '-colors', '16', 'BMP3:' + four])
reference(four)
