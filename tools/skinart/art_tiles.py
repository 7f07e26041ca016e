"""The tile pictures: faces (frames by picture index), backs and walls in every size class.

Face frames: 0-8 characters 1-9 (suit 0), 9-17 bamboo 1-9 (suit 1), 18-26 circles 1-9 (suit 2),
27-33 the winds and dragons, 34-41 the flowers; the large sets add 42 (a special face), 43-46
(blank faces) and 47 (the back). Middle sets carry the faces turned for their seat: 3 upright,
1 upside down, 0 and 2 a quarter turn each way.
"""
from PIL import Image, ImageDraw

from art_common import SUPERSAMPLE, canvas, font, rounded, text_centre

IVORY = (246, 244, 232, 255)
GREEN = (32, 128, 72, 255)
LIGHT_GREEN = (92, 180, 120, 255)
RED = (200, 24, 24)
BLACK = (20, 20, 20)
BLUE = (30, 70, 170)
STICK = (20, 130, 60)

NUMERALS = '一二三四五六七八九'
HONOURS = '东南西北中发白'
FLOWERS = '春夏秋冬梅兰竹菊'

# Pip places on a unit square for ranks 1-9 (bamboo and circles).
PIPS = {
    1: [(0.5, 0.5)],
    2: [(0.5, 0.27), (0.5, 0.73)],
    3: [(0.22, 0.2), (0.5, 0.5), (0.78, 0.8)],
    4: [(0.28, 0.27), (0.72, 0.27), (0.28, 0.73), (0.72, 0.73)],
    5: [(0.25, 0.22), (0.75, 0.22), (0.5, 0.5), (0.25, 0.78), (0.75, 0.78)],
    6: [(0.28, 0.18), (0.72, 0.18), (0.28, 0.5), (0.72, 0.5), (0.28, 0.82), (0.72, 0.82)],
    7: [(0.2, 0.12), (0.5, 0.22), (0.8, 0.32), (0.28, 0.6), (0.72, 0.6), (0.28, 0.86), (0.72, 0.86)],
    8: [(0.28, 0.12), (0.72, 0.12), (0.28, 0.37), (0.72, 0.37), (0.28, 0.63), (0.72, 0.63),
        (0.28, 0.88), (0.72, 0.88)],
    9: [(x, y) for y in (0.18, 0.5, 0.82) for x in (0.2, 0.5, 0.8)],
}

FACE_COUNT = 42
LARGE_FRAMES = 48
SPECIAL_FRAME = 42
BACK_FRAME = 47

# Picture sizes by class (width, height).
LARGE = {800: (50, 72), 1024: (54, 78), 1366: (58, 86), 1600: (64, 94)}
SIDE02 = {800: (36, 45), 1024: (44, 52), 1366: (44, 57), 1600: (50, 64)}
SIDE1 = {800: (26, 29), 1024: (32, 36), 1366: (36, 43), 1600: (42, 49)}
MIDDLE13 = {800: (26, 38), 1366: (32, 46), 1600: (36, 54)}
MIDDLE02 = {800: (36, 28), 1366: (44, 35), 1600: (50, 41)}
BACKS = {'1366_back13': (32, 46), '1600_back13': (36, 54), '1366_back02': (44, 35), '1600_back02': (50, 41),
         '1366_deal13': (26, 38), '1366_deal02': (36, 28),
         'wa1_deal13': (14, 20), 'wa2_deal13': (16, 23), 'wa3_deal13': (20, 28),
         'wa1_deal02': (20, 17), 'wa2_deal02': (23, 19), 'wa3_deal02': (26, 20)}


def _pips(d, box, rank, bamboo):
    l, t, r, b = box
    w, h = r - l, b - t
    n = len(PIPS[rank])
    cols = 1 if rank == 1 else (2 if rank in (2, 4, 6, 8) else 3)
    rows = {1: 1, 2: 2, 3: 3, 4: 2, 5: 3, 6: 3, 7: 4, 8: 4, 9: 3}[rank]
    if bamboo and rank == 1:
        _bird(d, box)
        return
    for k, (px, py) in enumerate(PIPS[rank]):
        cx, cy = l + px * w, t + py * h
        if bamboo:
            sw, sh = w / (cols * 2.2), h / (rows * 1.25)
            colour = RED if (rank in (5, 7, 9) and k == n // 2) else STICK
            d.rounded_rectangle((cx - sw / 2, cy - sh / 2, cx + sw / 2, cy + sh / 2), sw / 2.5, fill=colour)
            d.line((cx - sw / 2, cy, cx + sw / 2, cy), fill=(240, 240, 220), width=max(1, int(sh / 10)))
        else:
            rad = min(w / cols, h / rows) * (0.42 if rank > 1 else 0.4)
            outer = RED if (rank == 1 or (rank in (5, 7, 9) and k == n // 2)) else BLUE
            d.ellipse((cx - rad, cy - rad, cx + rad, cy + rad), fill=outer)
            d.ellipse((cx - rad * 0.6, cy - rad * 0.6, cx + rad * 0.6, cy + rad * 0.6), fill=(250, 250, 240))
            d.ellipse((cx - rad * 0.3, cy - rad * 0.3, cx + rad * 0.3, cy + rad * 0.3), fill=outer)


def _bird(d, box):
    """One of bamboo: a bird drawn from circles."""
    l, t, r, b = box
    w, h = r - l, b - t
    body = (l + w * 0.2, t + h * 0.35, l + w * 0.8, t + h * 0.8)
    d.ellipse(body, fill=STICK)
    d.ellipse((l + w * 0.5, t + h * 0.15, l + w * 0.85, t + h * 0.45), fill=STICK)
    d.ellipse((l + w * 0.66, t + h * 0.24, l + w * 0.74, t + h * 0.3), fill=(250, 250, 240))
    d.polygon([(l + w * 0.84, t + h * 0.28), (l + w * 0.98, t + h * 0.33), (l + w * 0.84, t + h * 0.37)], fill=RED)
    d.ellipse((l + w * 0.02, t + h * 0.45, l + w * 0.4, t + h * 0.7), fill=RED)
    d.line((l + w * 0.45, t + h * 0.8, l + w * 0.4, b), fill=RED, width=max(1, int(w / 14)))
    d.line((l + w * 0.6, t + h * 0.8, l + w * 0.65, b), fill=RED, width=max(1, int(w / 14)))


def _face_content(im, box, index):
    """Draws the face of picture index `index` into box of image im (supersampled scale)."""
    d = ImageDraw.Draw(im)
    l, t, r, b = box
    h = b - t
    if index < 9:
        text_centre(d, (l, t, r, t + h * 0.48), NUMERALS[index], BLACK, h * 0.45)
        text_centre(d, (l, t + h * 0.5, r, b), '万', RED, h * 0.5)
    elif index < 18:
        _pips(d, box, index - 8, True)
    elif index < 27:
        _pips(d, box, index - 17, False)
    elif index < 34:
        ch = HONOURS[index - 27]
        colour = RED if ch == '中' else (STICK if ch == '发' else (BLUE if ch == '白' else BLACK))
        text_centre(d, box, ch, colour, h * 0.75)
    elif index < FACE_COUNT:
        ch = FLOWERS[index - 34]
        text_centre(d, box, ch, (150, 40, 130), h * 0.7)
        d.text((l, t), str(index - 33), font=font(h * 0.22), fill=BLUE)
    elif index == SPECIAL_FRAME:
        d.ellipse((l + (r - l) * 0.1, t + h * 0.2, r - (r - l) * 0.1, b - h * 0.2), fill=(240, 190, 40),
                  outline=RED, width=max(1, int(h / 30)))
        text_centre(d, (l, t + h * 0.25, r, b - h * 0.25), '宝', RED, h * 0.4)


def standing_tile(w, h, index, edge_ratio):
    """An upright tile of size w x h: ivory face over a side edge in the tile colour.
    index None draws a blank face; BACK_FRAME draws the back."""
    s = SUPERSAMPLE
    W, H = w * s, h * s
    edge = max(s * 2, int(H * edge_ratio))
    im = canvas(W, H)
    d = ImageDraw.Draw(im)
    rad = max(s * 2, min(W, H) // 7)
    d.rounded_rectangle((0, 0, W - 1, H - 1), rad, fill=GREEN)
    if index == BACK_FRAME:
        d.rounded_rectangle((W * 0.14, (H - edge) * 0.1, W * 0.86, (H - edge) * 0.9), rad // 2, fill=LIGHT_GREEN)
    else:
        d.rounded_rectangle((0, 0, W - 1, H - 1 - edge), rad, fill=IVORY, outline=(180, 180, 160, 255), width=s)
        if index is not None:
            mx, my = W * 0.12, (H - edge) * 0.08
            _face_content(im, (mx, my, W - mx, H - edge - my), index)
    return im.resize((w, h), Image.LANCZOS)


def back_tile(w, h):
    """Solid green with a lighter inset, for backs seen from above."""
    im = rounded(w, h, GREEN, outline=(20, 80, 45, 255))
    d = ImageDraw.Draw(im)
    ix, iy = max(2, w // 6), max(2, h // 6)
    d.rectangle((ix, iy, w - 1 - ix, h - 1 - iy), fill=LIGHT_GREEN)
    return im


def side_tile(w, h, seat):
    """The back of a standing tile of another seat's hand, with its ivory side showing."""
    im = back_tile(w, h)
    d = ImageDraw.Draw(im)
    strip = max(2, (w if seat != 1 else h) // 5)
    if seat == 0:
        d.rectangle((w - strip, 1, w - 1, h - 2), fill=IVORY)
    elif seat == 2:
        d.rectangle((0, 1, strip - 1, h - 2), fill=IVORY)
    else:
        d.rectangle((1, h - strip, w - 2, h - 1), fill=IVORY)
    return im


def middle_set(w, h, seat):
    """42 faces turned for seat: upright for 3, upside down for 1, lying for 0 and 2."""
    lying = seat in (0, 2)
    uw, uh = (h, w) if lying else (w, h)
    frames = []
    for i in range(FACE_COUNT):
        up = standing_tile(uw, uh, i, 0.12)
        if seat == 1:
            up = up.transpose(Image.ROTATE_180)
        elif seat == 0:
            up = up.transpose(Image.ROTATE_270)
        elif seat == 2:
            up = up.transpose(Image.ROTATE_90)
        frames.append(up)
    return frames


def large_set(w, h):
    frames = []
    for i in range(LARGE_FRAMES):
        index = i if i < FACE_COUNT or i in (SPECIAL_FRAME, BACK_FRAME) else None
        frames.append(standing_tile(w, h, index, 0.1))
    return frames


def draw(pack):
    for cls, (w, h) in LARGE.items():
        pack.picture('%d_largecard' % cls, large_set(w, h))
    for cls in LARGE:
        for seat in (0, 1, 2):
            w, h = (SIDE1 if seat == 1 else SIDE02)[cls]
            pack.picture('%d_side%d' % (cls, seat), side_tile(w, h, seat))
    for cls in MIDDLE13:
        for seat in (0, 1, 2, 3):
            w, h = (MIDDLE02 if seat in (0, 2) else MIDDLE13)[cls]
            pack.picture('%d_middle%d' % (cls, seat), middle_set(w, h, seat))
    for name, (w, h) in BACKS.items():
        pack.picture(name, back_tile(w, h))
    # The shadow and the thrown tile's background are drawn into planes keyed with FF00FF.
    shadow = canvas(68, 98)
    ImageDraw.Draw(shadow).rounded_rectangle((0, 0, 67, 97), 8, fill=(40, 40, 40, 255))
    pack.picture('shadow', shadow, keyed=True)
    back = rounded(92, 122, (250, 230, 150, 255), outline=(200, 120, 20, 255), radius=12, width=3)
    pack.picture('throw_cardbk', back, keyed=True)
