"""Shared pieces of the art program: the CJK font, the pack folders with their manifests, and
small drawing helpers (labelled buttons, boards, figures) that every picture list uses.

Everything here is deterministic: no clock, no randomness, fixed sizes, fixed colours.
"""
import os
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFont

FONT_FAMILY = 'WenQuanYi Zen Hei'
KEY = (255, 0, 255)
SUPERSAMPLE = 3

_font_path = None
_fonts = {}


def font_path():
    """The set-up script installs fonts-wqy-zenhei; any other face would change the art."""
    global _font_path
    if _font_path is None:
        try:
            found = subprocess.run(['fc-match', '-f', '%{file}', FONT_FAMILY], check=True,
                                   capture_output=True, text=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError) as e:
            sys.exit('skinart: fc-match failed (%s); install fontconfig and fonts-wqy-zenhei' % e)
        if 'wqy-zenhei' not in os.path.basename(found) or not os.path.exists(found):
            sys.exit('skinart: the CJK font %s is missing (fc-match gave "%s"); '
                     'install fonts-wqy-zenhei' % (FONT_FAMILY, found))
        _font_path = found
    return _font_path


def font(size):
    size = max(6, int(size))
    if size not in _fonts:
        _fonts[size] = ImageFont.truetype(font_path(), size)
    return _fonts[size]


def text_centre(draw, box, text, fill, size):
    """Draws text centred in box (l, t, r, b), shrinking the size until it fits."""
    l, t, r, b = box
    while size > 6:
        f = font(size)
        x0, y0, x1, y1 = draw.textbbox((0, 0), text, font=f)
        if x1 - x0 <= r - l and y1 - y0 <= b - t:
            break
        size -= 1
    f = font(size)
    x0, y0, x1, y1 = draw.textbbox((0, 0), text, font=f)
    draw.text(((l + r - (x1 - x0)) / 2 - x0, (t + b - (y1 - y0)) / 2 - y0), text, font=f, fill=fill)


def shade(colour, factor):
    return tuple(max(0, min(255, int(c * factor))) for c in colour[:3]) + tuple(colour[3:])


def grey(colour):
    v = sum(colour[:3]) // 3
    return (v, v, v) + tuple(colour[3:])


class Pack:
    """One pack's folder: PNG sources and the manifest the pack builder reads."""

    def __init__(self, root, name):
        self.name = name
        self.folder = os.path.join(root, name)
        os.makedirs(self.folder, exist_ok=True)
        self.lines = []
        self.pictures = []  # (name, [frames]) for the contact sheet
        self.names = set()

    def _section(self, name):
        if name in self.names:
            raise ValueError('%s drawn twice' % name)
        self.names.add(name)
        return 'r%04d' % len(self.names)

    def picture(self, name, frames, delay_ms=100, keyed=False):
        """frames: PIL images of one size; stacked top to bottom into one sheet."""
        if not isinstance(frames, list):
            frames = [frames]
        stem = self._section(name)
        w, h = frames[0].size
        for f in frames:
            if f.size != (w, h):
                raise ValueError('%s: frames differ in size' % name)
        mode = 'RGB' if keyed else 'RGBA'
        sheet = Image.new(mode, (w, h * len(frames)), KEY if keyed else (0, 0, 0, 0))
        for i, f in enumerate(frames):
            f = f.convert('RGBA')
            if keyed:
                # Exact transparency: what is not opaque becomes the key colour.
                flat = Image.new('RGB', f.size, KEY)
                mask = f.getchannel('A').point(lambda a: 255 if a >= 128 else 0)
                flat.paste(f.convert('RGB'), (0, 0), mask)
                f = flat
            sheet.paste(f, (0, h * i))
        sheet.save(os.path.join(self.folder, stem + '.png'), optimize=False)
        self.lines.append('[%s]' % name)
        self.lines.append('source = %s.png' % stem)
        if len(frames) > 1:
            self.lines.append('frames = %d' % len(frames))
            self.lines.append('delays_ms = %d' % max(1, delay_ms))
        if keyed:
            self.lines.append('key_colour = FF00FF')
        self.lines.append('')
        self.pictures.append((name, frames))

    def sound(self, name, data):
        stem = self._section(name)
        with open(os.path.join(self.folder, stem + '.wav'), 'wb') as out:
            out.write(data)
        self.lines += ['[%s]' % name, 'source = %s.wav' % stem, 'output = copy', '']

    def write_manifest(self):
        path = os.path.join(self.folder, 'manifest.ini')
        with open(path, 'w', encoding='utf-8') as out:
            out.write('; drawn by tools/skinart\n')
            out.write('\n'.join(self.lines))
        return path


def canvas(w, h, colour=(0, 0, 0, 0)):
    return Image.new('RGBA', (w, h), colour)


def rounded(w, h, fill, outline=None, radius=None, width=1):
    """A rounded rectangle filling a w x h picture, drawn large and reduced for soft edges."""
    s = SUPERSAMPLE
    big = canvas(w * s, h * s)
    d = ImageDraw.Draw(big)
    r = (radius if radius is not None else max(2, min(w, h) // 6)) * s
    d.rounded_rectangle((0, 0, w * s - 1, h * s - 1), r, fill=fill, outline=outline, width=width * s)
    return big.resize((w, h), Image.LANCZOS)


def button_frames(w, h, label, colour=(60, 120, 200), text=(255, 255, 255), icon=None):
    """Four frames: normal, hover, pressed, disabled."""
    frames = []
    for state in range(4):
        base = [colour, shade(colour, 1.25), shade(colour, 0.75), grey(colour)][state]
        im = rounded(w, h, base + (255,), outline=shade(base, 0.6) + (255,))
        d = ImageDraw.Draw(im)
        box = (3, 2 + (state == 2), w - 3, h - 2 + (state == 2))
        ink = text if state != 3 else (170, 170, 170)
        if icon:
            icon(d, box, ink)
        elif label:
            text_centre(d, box, label, ink, h * 0.6)
        frames.append(im)
    return frames


def board(w, h, label='', colour=(30, 60, 50), text=(240, 230, 200), alpha=235):
    """A panel with a frame line and an optional title."""
    im = rounded(w, h, colour + (alpha,), outline=shade(colour, 1.8) + (255,), radius=8, width=2)
    if label:
        d = ImageDraw.Draw(im)
        text_centre(d, (6, 4, w - 6, min(h - 4, 30)), label, text, 20)
    return im


def label_picture(w, h, label, colour=(250, 220, 80), outline=(90, 40, 0)):
    """A word drawn large with an outline on transparency (action words, notices)."""
    im = canvas(w, h)
    d = ImageDraw.Draw(im)
    size = h * 0.8
    while size > 6:
        f = font(size)
        x0, y0, x1, y1 = d.textbbox((0, 0), label, font=f, stroke_width=2)
        if x1 - x0 <= w - 4 and y1 - y0 <= h - 4:
            break
        size -= 1
    f = font(size)
    x0, y0, x1, y1 = d.textbbox((0, 0), label, font=f, stroke_width=2)
    d.text(((w - (x1 - x0)) / 2 - x0, (h - (y1 - y0)) / 2 - y0), label, font=f, fill=colour,
           stroke_width=2, stroke_fill=outline)
    return im


def figure(w, h, colour):
    """A simple person: head and body, for character pictures and faces."""
    s = SUPERSAMPLE
    big = canvas(w * s, h * s)
    d = ImageDraw.Draw(big)
    W, H = w * s, h * s
    head = min(W, H) * 0.32 if H < 1.5 * W else W * 0.36
    cx = W / 2
    top = H * 0.06
    d.ellipse((cx - head / 2, top, cx + head / 2, top + head), fill=(250, 215, 180, 255),
              outline=(60, 40, 30, 255), width=s)
    d.rounded_rectangle((cx - W * 0.38, top + head * 1.05, cx + W * 0.38, H - H * 0.04), int(W * 0.12),
                        fill=colour + (255,), outline=shade(colour, 0.5) + (255,), width=s)
    return big.resize((w, h), Image.LANCZOS)
