#!/usr/bin/python3
"""skinart: draws our own artwork and writes it as pack folders for the pack builder.

  skinart.py OUT_FOLDER [HALL_FOLDER]

writes OUT_FOLDER/{frame,table,tiles,sound}/manifest.ini with their sources, a contact sheet
per picture pack (OUT_FOLDER/contact_<pack>.png) for a person to look at, and the hall's
character pictures HALL_FOLDER/Share/Image/Character/<n>/{32x32,48x48,135x270}.png
(HALL_FOLDER defaults to OUT_FOLDER).
The output depends only on this program and the Debian packages it runs on.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from PIL import Image, ImageDraw  # noqa: E402

import art_common  # noqa: E402
import art_sound  # noqa: E402
import art_table  # noqa: E402
import art_tiles  # noqa: E402

CHARACTER_COLOURS = [(200, 60, 60), (60, 120, 200), (60, 160, 80), (200, 150, 40), (150, 70, 170)]
CHARACTER_SIZES = [(32, 32), (48, 48), (135, 270)]


def contact_sheet(pack, path):
    """Every picture of a pack with its name, its frames in a row (reduced when large)."""
    rows = []
    for name, frames in pack.pictures:
        w, h = frames[0].size
        scale = min(1.0, 96.0 / max(w, h))
        cells = [f.resize((max(1, int(w * scale)), max(1, int(h * scale))), Image.LANCZOS) for f in frames]
        rows.append((name, cells))
    label_w, pad = 200, 4
    width = max(label_w + sum(c.size[0] + pad for c in cells) for _, cells in rows)
    height = sum(max(20, max(c.size[1] for c in cells)) + pad for _, cells in rows)
    sheet = Image.new('RGB', (min(width, 4000), height), (128, 128, 128))
    d = ImageDraw.Draw(sheet)
    y = 0
    for name, cells in rows:
        d.text((2, y + 2), name, font=art_common.font(13), fill=(0, 0, 0))
        x = label_w
        for c in cells:
            sheet.paste(c, (x, y), c)
            x += c.size[0] + pad
        y += max(20, max(c.size[1] for c in cells)) + pad
    sheet.save(path)


def characters(root):
    for n, colour in enumerate(CHARACTER_COLOURS):
        folder = os.path.join(root, 'Share', 'Image', 'Character', str(n))
        os.makedirs(folder, exist_ok=True)
        for w, h in CHARACTER_SIZES:
            art_common.figure(w, h, colour).save(os.path.join(folder, '%dx%d.png' % (w, h)))


def main(argv):
    if len(argv) not in (2, 3):
        sys.exit('usage: skinart.py OUT_FOLDER [HALL_FOLDER]')
    root = argv[1]
    art_common.font_path()  # fails clearly before anything is written
    packs = {name: art_common.Pack(root, name) for name in ('frame', 'table', 'tiles', 'sound')}
    art_tiles.draw(packs['tiles'])
    art_table.draw_table(packs['table'])
    art_table.draw_frame(packs['frame'])
    art_sound.draw(packs['sound'])
    for name, pack in packs.items():
        pack.write_manifest()
        if pack.pictures:
            contact_sheet(pack, os.path.join(root, 'contact_%s.png' % name))
    characters(argv[2] if len(argv) == 3 else root)


if __name__ == '__main__':
    main(sys.argv)
