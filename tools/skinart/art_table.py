"""The table's controls and effects (table pack) and the frame, dialogs and match screens
(frame pack), each drawn from simple shapes and labels in the CJK font."""
from PIL import Image, ImageDraw

from art_common import SUPERSAMPLE, board, button_frames, canvas, label_picture, rounded, shade, text_centre

GOLD = (250, 210, 60)


def _speaker(on):
    def icon(d, box, ink):
        l, t, r, b = box
        h = b - t
        cx, cy = (l + r) / 2 - h * 0.3, (t + b) / 2
        d.rectangle((cx - h * 0.3, cy - h * 0.15, cx, cy + h * 0.15), fill=ink)
        d.polygon([(cx, cy - h * 0.15), (cx + h * 0.3, cy - h * 0.4), (cx + h * 0.3, cy + h * 0.4),
                   (cx, cy + h * 0.15)], fill=ink)
        if on:
            d.arc((cx + h * 0.2, cy - h * 0.35, cx + h * 0.7, cy + h * 0.35), -60, 60, fill=ink, width=2)
        else:
            d.line((cx + h * 0.4, cy - h * 0.25, cx + h * 0.8, cy + h * 0.25), fill=ink, width=2)
    return icon


# A seat's label is centred on the seat's anchor, which for the own seat is the top edge of the
# hand: the word stands in the upper part of the picture, clear of the anchor by the lift, so that
# it never hides the own hand (raised tiles included).
SEAT_LABEL_LIFT = 22


def _seat_label(w, h, word, colour, outline=(90, 40, 0)):
    im = canvas(w, 2 * (h + SEAT_LABEL_LIFT))
    im.paste(label_picture(w, h, word, colour, outline), (0, 0))
    return im


def _sort_icon(d, box, ink):
    l, t, r, b = box
    w = (r - l) / 5
    for k in range(4):
        x = l + w * (k + 0.5)
        d.rectangle((x, b - (b - t) * (k + 1) / 4.5, x + w * 0.7, b - 1), fill=ink)


def _arrow_icon(direction):
    def icon(d, box, ink):
        l, t, r, b = box
        cx, cy, s = (l + r) / 2, (t + b) / 2, min(r - l, b - t) * 0.35
        pts = {'up': [(cx, cy - s), (cx - s, cy + s), (cx + s, cy + s)],
               'down': [(cx, cy + s), (cx - s, cy - s), (cx + s, cy - s)],
               'left': [(cx - s, cy), (cx + s, cy - s), (cx + s, cy + s)],
               'right': [(cx + s, cy), (cx - s, cy - s), (cx - s, cy + s)]}[direction]
        d.polygon(pts, fill=ink)
    return icon


def _volume_board():
    # Each slider's name stands right of its middle: the scene puts the two sliders' centres at
    # (56, 101) and (160, 101) of the board, and their tips, which show the value, to their left.
    im = board(220, 170, '音量')
    d = ImageDraw.Draw(im)
    for x, word in ((70, '音效'), (174, '音乐')):
        text_centre(d, (x, 91, x + 40, 111), word, (240, 230, 200), 14)
    return im


def _digits(w, h, colour, back=None):
    frames = []
    for n in range(10):
        im = canvas(w, h, back or (0, 0, 0, 0))
        text_centre(ImageDraw.Draw(im), (0, 0, w, h), str(n), colour, h)
        frames.append(im)
    return frames


def _glyphs(text, w, h, colour):
    """A word strip for a glyph board (cells of 40 x 42): one frame per character of its glyph text, in
    that order (the frame's glyph texts name the order)."""
    frames = []
    for ch in text:
        im = canvas(w, h)
        text_centre(ImageDraw.Draw(im), (0, 0, w, h), ch, colour, h - 4)
        frames.append(im)
    return frames


# The glyph texts of the frame's match boards (count-down and fee, knock-out round, tables left).
COUNTDOWN_GLYPHS = '比赛倒计时:天时分秒小报名费银两通宝'
KNOCKOUT_GLYPHS = '定局淘汰第轮'
REST_GLYPHS = '还有桌游戏中前名晋级，'


def _die(size, face):
    im = rounded(size, size, (250, 250, 245, 255), outline=(120, 120, 120, 255))
    d = ImageDraw.Draw(im)
    spots = {1: [(0.5, 0.5)], 2: [(0.28, 0.28), (0.72, 0.72)], 3: [(0.25, 0.25), (0.5, 0.5), (0.75, 0.75)],
             4: [(0.28, 0.28), (0.72, 0.28), (0.28, 0.72), (0.72, 0.72)],
             5: [(0.25, 0.25), (0.75, 0.25), (0.5, 0.5), (0.25, 0.75), (0.75, 0.75)],
             6: [(0.3, 0.22), (0.7, 0.22), (0.3, 0.5), (0.7, 0.5), (0.3, 0.78), (0.7, 0.78)]}[face]
    r = size * (0.12 if face == 1 else 0.08)
    for x, y in spots:
        d.ellipse((x * size - r, y * size - r, x * size + r, y * size + r), fill=(200, 20, 20) if face in (1, 4) else (20, 20, 20))
    return im


def _tumble(size, k):
    im = canvas(size, size)
    d = ImageDraw.Draw(im)
    m = size * 0.15
    pts = [(size / 2, m), (size - m, size / 2), (size / 2, size - m), (m, size / 2)]
    pts = pts[k % 4:] + pts[:k % 4]
    d.polygon(pts, fill=(240, 240, 235, 255), outline=(120, 120, 120, 255))
    return im


def _frames(w, h, count, label, colour=(250, 220, 80)):
    """An animation: the label pulsing in size over count frames."""
    out = []
    for k in range(count):
        im = canvas(w, h)
        inner = label_picture(w - 2 * (k % 3), h - 2 * (k % 3), label, colour)
        im.paste(inner, (k % 3, k % 3), inner)
        out.append(im)
    return out


DUAN_LEVELS = 13


def draw_table(pack):
    labels = [('btn_StartGame', '开始'), ('btn_AskCardView', '看牌'), ('btn_Chi_big', '吃'), ('btn_Peng_big', '碰'),
              ('btn_Gang_big', '杠'), ('btn_Hu_big', '胡'), ('btn_Guo_big', '过')]
    # The claim buttons stand in a row between the own seat's label (at the middle) and the right
    # seat's column: 56 pixels leave room for five of them there at 1024x768.
    for name, label in labels:
        big = name.endswith('_big')
        pack.picture(name, button_frames(56 if big else 88, 56 if big else 36, label,
                                         (190, 60, 40) if big else (50, 110, 190)))
    # On the skill bar beside the 32-pixel-wide icon buttons, 50 apart: narrow enough not to reach
    # them. The bar stands in the 35-pixel margin below the own hand, so it and its buttons are
    # lower than that.
    pack.picture('btn_AutoPlay', button_frames(50, 28, '托管', (50, 110, 190)))
    pack.picture('btn_Volume', button_frames(32, 28, None, icon=_speaker(True)))
    pack.picture('btn_VolumeOn', button_frames(32, 28, None, icon=_speaker(False)))
    pack.picture('btn_Sort', button_frames(32, 28, None, icon=_sort_icon))
    pack.picture('btn_HideSkill', button_frames(20, 28, None, icon=_arrow_icon('right')))
    pack.picture('btn_ShowSkill', button_frames(20, 28, None, icon=_arrow_icon('left')))
    pack.picture('bit_skillbk', board(140, 32), keyed=True)
    pack.picture('bit_volumebk', _volume_board(), keyed=True)
    slider = canvas(24, 110)
    ImageDraw.Draw(slider).rounded_rectangle((9, 0, 14, 109), 2, fill=(90, 90, 90, 255))
    pack.picture('slider_bk', slider)
    pack.picture('slider_bar', rounded(22, 12, (230, 200, 90, 255), outline=(120, 90, 20, 255)))
    hand = canvas(64, 64)
    d = ImageDraw.Draw(hand)
    d.ellipse((2, 2, 61, 61), fill=(245, 245, 235, 255), outline=(60, 60, 60, 255), width=3)
    # The pointer is a short wedge at the rim: the middle keeps room for the clock's two digits.
    d.polygon([(32, 4), (25, 15), (39, 15)], fill=(200, 30, 30, 255))
    pack.picture('clock_hand_big', hand)
    pack.picture('digit_Clock_big', _digits(16, 24, (40, 40, 40)))
    dice = [_die(28, f) for f in range(1, 7)] + [_tumble(28, k) for k in range(4)]
    pack.picture('dice1_00', dice)
    # It stands above the top seat's tiles, which begin 35 pixels below the table's top.
    pack.picture('bit_slogan', label_picture(240, 30, '血流成河 雀友相逢'), keyed=True)
    pack.picture('bit_SortHand', label_picture(80, 30, '理牌'))
    star = canvas(12, 12)
    ImageDraw.Draw(star).ellipse((1, 1, 10, 10), fill=(255, 240, 140, 255))
    pack.picture('particle_sort', star)
    words = {'peng': '碰', 'chi': '吃', 'gang': '杠', 'hu': '胡', 'hua': '花'}
    for stem, word in words.items():
        for k in (0, 1, 2) if stem == 'gang' else (0, 1):
            pack.picture('%s%d' % (stem, k), _seat_label(72, 60, word, GOLD if k == 0 else (250, 120, 60)))
    pack.picture('bit_hu', _seat_label(140, 64, '胡了', (250, 60, 40), (80, 0, 0)))
    pieces = canvas(100, 20)
    d = ImageDraw.Draw(pieces)
    for k, c in enumerate([(255, 230, 90), (255, 150, 60), (250, 90, 90), (120, 200, 255), (160, 255, 140)]):
        d.ellipse((20 * k + 3, 3, 20 * k + 16, 16), fill=c + (255,))
    pack.picture('bit_particular', pieces)
    # Our own table designs: turn arrow, claim pointer, wait animation, player panel, info board.
    for seat in range(4):
        arrow = canvas(40, 40)
        pts = {0: [(4, 20), (30, 6), (30, 34)], 1: [(20, 4), (6, 30), (34, 30)],
               2: [(36, 20), (10, 6), (10, 34)], 3: [(20, 36), (6, 10), (34, 10)]}[seat]
        ImageDraw.Draw(arrow).polygon(pts, fill=(250, 200, 40, 255), outline=(120, 80, 0, 255))
        pack.picture('bit_TurnArrow%d' % seat, arrow)
    pointer = canvas(24, 24)
    ImageDraw.Draw(pointer).polygon([(12, 22), (2, 4), (22, 4)], fill=(240, 60, 40, 255))
    pack.picture('bit_ClaimPointer', pointer)
    pack.picture('animation_Waiting', _frames(120, 32, 8, '请稍候'))
    pack.picture('bit_PlayerPanel', board(150, 64, '', (40, 40, 70)))
    pack.picture('bit_InfoBoard', board(200, 120, '信息', (40, 60, 40)))
    # The scene's own pictures: claim pointer, info boards, wait animation, player panel and its marks.
    pack.picture('bit_claimpointer', pointer)
    # The info board stands in the middle of the table, between the side walls: on a surface 600
    # high the right wall's tiles come within 90 pixels of the middle, so it stays 180 wide at most.
    pack.picture('bit_infoboard', board(176, 110, '', (40, 60, 40)), keyed=True)
    pack.picture('bit_infoboard_small', board(180, 80, '', (40, 60, 40)), keyed=True)
    pack.picture('animation_wait', _frames(120, 32, 8, '请稍候'))
    # A seat's panel stands in a corner of the felt that no seat's tiles reach: at 1024x768 that
    # is 110 pixels wide right of the top seat's melds. Three 12-pixel lines fit its height.
    pack.picture('bit_playerpanel', board(120, 48, '', (40, 40, 70)), keyed=True)
    for name, word, colour in (('bit_banker', '庄', (200, 40, 30)), ('bit_ready', '准备', (40, 140, 60)),
                               ('bit_offline', '断线', (110, 110, 110)), ('bit_autoplay', '托管', (50, 90, 170))):
        mark = rounded(36 if len(word) > 1 else 18, 18, colour + (255,))
        text_centre(ImageDraw.Draw(mark), (0, 0, mark.width, 18), word, (255, 255, 255), 14)
        pack.picture(name, mark)


def _title_strip(w, h, colour=(40, 70, 110)):
    """The title bar's tile: rows of one colour each, so that tiles side by side join without a seam."""
    im = canvas(w, h)
    d = ImageDraw.Draw(im)
    for y in range(h):
        d.line((0, y, w - 1, y), fill=shade(colour, 1.35 - 0.45 * y / max(1, h - 1)) + (255,))
    d.line((0, 0, w - 1, 0), fill=shade(colour, 1.8) + (255,))
    d.line((0, h - 1, w - 1, h - 1), fill=shade(colour, 0.6) + (255,))
    return im


# The mahjong detail board: its texts are dark green (0x385026) from x 145 and y 61 to 297, the
# 135 x 270 character at (10, 50) and the buy button 22 pixels above the bottom below it; the
# clear-zero and recharge buttons stand 14 pixels in from the right edge beside the first lines.
DETAIL_BOARD = (360, 380)


def _detail_board():
    w, h = DETAIL_BOARD
    im = rounded(w, h, (246, 240, 222, 255), outline=(70, 96, 60, 255), radius=10, width=2)
    d = ImageDraw.Draw(im)
    d.rounded_rectangle((2, 2, w - 3, 38), 8, fill=(62, 96, 70, 255))
    text_centre(d, (40, 6, w - 40, 34), '玩家信息', (250, 244, 220), 20)
    d.rectangle((7, 47, 144, 323), fill=(230, 222, 196, 255), outline=(150, 140, 110, 255))
    return im


def _frame_piece(w, h, colour=(40, 70, 110)):
    im = canvas(w, h, colour + (255,))
    d = ImageDraw.Draw(im)
    d.rectangle((0, 0, w - 1, h - 1), outline=shade(colour, 1.6) + (255,))
    return im


def _template(w, h, hole, title_colour):
    """Frame 0: a framed box with a transparent hole for the client area; frame 1: the client."""
    l, t, r, b = hole
    frame = rounded(w, h, (60, 80, 120, 255), outline=(200, 210, 230, 255), radius=8, width=2)
    d = ImageDraw.Draw(frame)
    d.rectangle((2, 2, w - 3, t - 3), fill=title_colour + (255,))
    d.rectangle((l, t, r - 1, b - 1), fill=(0, 0, 0, 0))
    client = canvas(w, h, (235, 235, 225, 255))
    return [frame, client]


def _face(name, colour, mouth):
    im = canvas(64, 64)
    d = ImageDraw.Draw(im)
    d.ellipse((4, 4, 59, 59), fill=colour + (255,), outline=(80, 60, 20, 255), width=2)
    d.ellipse((20, 22, 26, 30), fill=(30, 30, 30, 255))
    d.ellipse((38, 22, 44, 30), fill=(30, 30, 30, 255))
    if mouth == 'smile':
        d.arc((20, 30, 44, 50), 20, 160, fill=(120, 20, 20, 255), width=3)
    elif mouth == 'sad':
        d.arc((20, 40, 44, 58), 200, 340, fill=(120, 20, 20, 255), width=3)
    else:
        d.ellipse((28, 40, 36, 48), outline=(120, 20, 20, 255), width=2)
    return im


def draw_frame(pack):
    pack.picture('Frame_Top', _title_strip(200, 25))
    for name, (w, h) in {'Frame_Bottom': (200, 6), 'Frame_Left': (6, 200), 'Frame_Right': (6, 200)}.items():
        pack.picture(name, _frame_piece(w, h))
    icon = rounded(20, 20, (200, 60, 40, 255))
    text_centre(ImageDraw.Draw(icon), (0, 0, 20, 20), '雀', (255, 255, 255), 16)
    pack.picture('GameIcon', icon)
    # Drawn over the title bar: the strip itself, the middle one with a small ornament, never an
    # empty framed box that reads as a button.
    for name in ('FramePatternLeft', 'FramePatternMiddle', 'FramePatternRight'):
        piece = _title_strip(40, 25)
        if name == 'FramePatternMiddle':
            ImageDraw.Draw(piece).polygon([(20, 6), (27, 12), (20, 18), (13, 12)], fill=(220, 190, 100, 255))
        pack.picture(name, piece)
    felt = canvas(64, 64, (30, 100, 60, 255))
    d = ImageDraw.Draw(felt)
    for k in range(0, 64, 8):
        d.line((k, 0, k, 63), fill=(34, 106, 64, 255))
        d.line((0, k, 63, k), fill=(34, 106, 64, 255))
    pack.picture('TablePatten', felt)
    halo = canvas(256, 256)
    for k in range(64, 0, -4):
        ImageDraw.Draw(halo).ellipse((128 - 2 * k, 128 - 2 * k, 128 + 2 * k, 128 + 2 * k),
                                     fill=(255, 255, 220, 4 * (64 - k) // 8))
    pack.picture('TableHalo', halo)
    for name, corner in (('TableCornerLT', 0), ('TableCornerRT', 1), ('TableCornerLB', 2), ('TableCornerRB', 3)):
        im = canvas(40, 40)
        d = ImageDraw.Draw(im)
        x, y = (0 if corner in (0, 2) else 39), (0 if corner in (0, 1) else 39)
        d.pieslice((x - 38, y - 38, x + 38, y + 38), 0, 360, fill=(120, 80, 40, 255))
        pack.picture(name, im)
    for name, label in (('btnFrameClose', '×'), ('btnFrameFit', '□'), ('btnFrameMax', '▲'), ('btnFrameMin', '－'),
                        ('btnSet2', '设置'), ('btnHelp2', '帮助'), ('btnShop2', '商城')):
        small = name.startswith('btnFrame')
        pack.picture(name, button_frames(24 if small else 48, 20, label, (60, 90, 140)))
    # Boards drawn into planes keyed with FF00FF carry exact transparency.
    pack.picture('bit_playerdetail', _detail_board(), keyed=True)
    for name, label in (('btn_redcrossEx', '×'), ('btn_clearzero', '清零'), ('btn_recharge', '充值'),
                        ('btn_buycharacter', '买形象'), ('btn_report_personal', '举报')):
        pack.picture(name, button_frames(20 if name == 'btn_redcrossEx' else 64, 20 if name == 'btn_redcrossEx' else 26,
                                         label, (170, 60, 50) if name == 'btn_redcrossEx' else (50, 110, 190)))
    pack.picture('animation_autoplaying', _frames(140, 36, 6, '托管中'))
    # Its width is the margin that keeps the detail board inside the table, no board of its own.
    pack.picture('PlayerBoardSmall', rounded(8, 8, (246, 240, 222, 255), outline=(70, 96, 60, 255)))
    # The track is a dark groove and the thumb (normal, hover, pressed) a light bar on it, its grip
    # three ridges across it: a thumb of the track's colour would not show where the view is.
    track = [(60, 60, 60)] * 3
    thumb = [(150, 150, 150), (175, 175, 175), (125, 125, 125)]
    for part, size, colours in (('Back', (16, 48), track), ('Btn', (16, 24), thumb)):
        pack.picture('ScrollBar_Vert' + part,
                     [rounded(*size, c + (255,), outline=shade(c, 0.6) + (255,)) for c in colours])
        pack.picture('ScrollBar_Horz' + part,
                     [rounded(size[1], size[0], c + (255,), outline=shade(c, 0.6) + (255,)) for c in colours])
    for horizontal in (False, True):
        grips = []
        for c in thumb:
            im = canvas(16, 16)
            d = ImageDraw.Draw(im)
            for at in (5, 8, 11):
                d.line((at, 4, at, 11) if horizontal else (4, at, 11, at), fill=shade(c, 0.55) + (255,))
            grips.append(im)
        pack.picture('ScrollBar_' + ('Horz' if horizontal else 'Vert') + 'Pattern', grips)
    for name, direction in (('ScrollBar_VertUpBtn', 'up'), ('ScrollBar_VertDownBtn', 'down'),
                            ('ScrollBar_HorzLeftBtn', 'left'), ('ScrollBar_HorzRightBtn', 'right')):
        pack.picture(name, button_frames(16, 16, None, (90, 90, 90), icon=_arrow_icon(direction)))
    # The splitter between the table and the side panel, and the side panel's lists.
    pack.picture('左右分隔条_bg', _frame_piece(8, 100, (40, 60, 90)))
    for name, direction in (('箭头右', 'right'), ('箭头左', 'left')):
        pack.picture(name, button_frames(8, 85, None, (70, 100, 150), icon=_arrow_icon(direction)))
    pack.picture('SystemUserListBar', _frame_piece(300, 24, (50, 70, 100)))
    # A user row holds a 30-pixel character picture and a 12-pixel name 12 pixels below its top.
    pack.picture('UserListBlock', [canvas(200, 30, c + (255,)) for c in
                                   ((90, 120, 170), (235, 238, 245), (222, 228, 238))])
    pack.picture('MatchListBlock', [canvas(200, 20, c + (255,)) for c in
                                    ((90, 120, 170), (250, 230, 170), (235, 238, 245), (222, 228, 238),
                                     (210, 210, 210))])
    pack.picture('SystemDivide', canvas(2, 16, (120, 130, 150, 255)))
    pack.picture('滚动角', canvas(16, 16, (80, 80, 80, 255)))
    look = canvas(16, 16)
    ImageDraw.Draw(look).ellipse((1, 4, 14, 12), fill=(250, 250, 250, 255), outline=(40, 40, 40, 255))
    ImageDraw.Draw(look).ellipse((6, 6, 10, 10), fill=(30, 30, 30, 255))
    pack.picture('bit_LookOn', look)
    pack.picture('InputBoxBkg', rounded(200, 24, (250, 250, 250, 255), outline=(120, 130, 150, 255), radius=4))
    pack.picture('btnQuickChat', button_frames(24, 24, None, (70, 100, 150), icon=_arrow_icon('down')))
    # Dialogs and boxes.
    pack.picture('系统信息框模板', _template(120, 100, (10, 30, 110, 90), (70, 110, 170)))
    pack.picture('系统通知框模板', _template(120, 100, (10, 30, 110, 90), (170, 110, 50)))
    for name, label in (('系统信息框_确定', '确定'), ('系统信息框_取消', '取消'), ('系统通知框_按钮', '确定'),
                        ('同意', '同意'), ('拒绝', '拒绝'), ('查看成绩', '查看成绩'), ('退出', '退出')):
        pack.picture(name, button_frames(72, 26, label))
    # The sure-quit board sets its two buttons' centres 55 pixels apart.
    for name, label in (('btn_gameset_ok', '确定'), ('btn_gameset_cancel', '取消')):
        pack.picture(name, button_frames(48, 26, label))
    pack.picture('系统信息框_关闭', button_frames(20, 20, '×', (170, 60, 50)))
    # Behind the 32-pixel portrait of the ask-exit box, which keeps the text 21 pixels clear of it.
    pack.picture('系统通知框_头像背景', rounded(38, 38, (230, 220, 190, 255), outline=(150, 120, 60, 255)))
    for name, colour, mouth in (('xyf大哭', (250, 210, 120), 'sad'), ('xyf打牌', (250, 210, 120), 'smile'),
                                ('xyf疑问', (240, 220, 140), 'o'), ('xyf抱歉', (240, 200, 150), 'sad'),
                                ('xyf胜利', (255, 220, 90), 'smile'), ('xyf财神', (255, 200, 60), 'smile'),
                                ('xyf加油', (255, 180, 90), 'smile'),
                                ('zu系统通知', (200, 220, 250), 'o')):
        pack.picture(name, _face(name, colour, mouth))
        if not name.startswith('zu'):
            pack.picture('xyfs' + name[3:], _face(name, colour, mouth).resize((32, 32)))
    # The side panel's chat input bar and the picker's page buttons.
    pack.picture('btnChatSend', button_frames(48, 24, '发送'))
    pack.picture('btnChatFace', button_frames(24, 24, '表'))
    pack.picture('xyf向前翻页', button_frames(20, 16, '<'))
    pack.picture('xyf向后翻页', button_frames(20, 16, '>'))
    # The quit board draws "bit_SureQuit" at (23, 67) of the system board.
    pack.picture('bit_systemboard', board(340, 240, '系统消息', (60, 40, 30)), keyed=True)
    pack.picture('bit_SureQuit', label_picture(290, 60, '确定要退出吗？', (250, 240, 220), (60, 30, 20)))
    # Match screens.
    for name, label in (('animation_WaitArrangeTable', '正在配桌'), ('animation_MatchBegin', '比赛开始'),
                        ('animation_MatchEnd', '比赛结束')):
        pack.picture(name, _frames(200, 48, 6, label))
    # The count-down (42 high) stands on this notice's centre and shows with it: the notice's words
    # stand above a clear band.
    pack.picture('animation_NoSignUp', [_with_clear_band(f, 160) for f in _frames(240, 48, 6, '报名人数不足')])
    pack.picture('word_waitmatchstart', _glyphs(COUNTDOWN_GLYPHS, 40, 42, (250, 220, 80)))
    pack.picture('digit_waitmatchstart', _digits(18, 28, (250, 220, 80)))
    pack.picture('word_washturn', _glyphs(KNOCKOUT_GLYPHS, 40, 42, (250, 220, 80)))
    pack.picture('word_resttable', _glyphs(REST_GLYPHS, 40, 42, (250, 220, 80)))
    pack.picture('btn_signup', button_frames(80, 30, '报名'))
    pack.picture('btn_giveup', button_frames(80, 30, '退赛', (170, 60, 50)))
    # One badge per rank level (frame = level), as the welcome line and the match board ask.
    pack.picture('bit_Duan', [board(60, 24, '%d段' % level if level else '新手', (60 + 12 * level, 40, 80))
                              for level in range(DUAN_LEVELS)])
    for name, label in (('bit_MatchEnd', '比赛已结束'), ('bit_MatchLate', '报名已截止'),
                        ('bit_MatchStarted', '比赛已开始'), ('bit_SelfCancel', '您已退赛'),
                        ('bit_SystemCancel', '比赛取消'), ('bit_SystemRejected', '报名未通过'),
                        ('bit_WaitSignUpCheck', '等待审核'), ('bit_Washout', '您已被淘汰')):
        pack.picture(name, board(220, 60, label, (60, 40, 80)))
    pack.picture('digit_MatchRank', _digits(20, 30, (250, 200, 60)))
    for glyph in ('第', '名'):
        im = canvas(20, 30)
        text_centre(ImageDraw.Draw(im), (0, 0, 20, 30), glyph, (250, 200, 60), 30)
        pack.picture('char_' + glyph, im)
    pack.picture('btn_Award', button_frames(80, 30, '领奖'))
    pack.picture('btn_ExChange', button_frames(80, 30, '兑换'))
    pack.picture('MatchResultDlg', board(360, 260, '比赛成绩', (70, 40, 30)), keyed=True)
    for name, colour in (('switchok', (60, 160, 80)), ('switchno', (170, 60, 50))):
        # The switch-room box writes the captions, which change with its tip.
        pack.picture(name, button_frames(72, 26, None, colour))
    # This game's boards: check and radio buttons (frame 0 off, 1 on) and the result list's rows
    # (frames: even, odd, unused, hovered, selected).
    pack.picture('CheckButton', [_check_box(20, on) for on in (False, True)])
    # The boards write their own captions on a plain button.
    pack.picture('btn_board', button_frames(72, 26, None))
    pack.picture('RadioButton', [_radio(20, on) for on in (False, True)])
    pack.picture('ResultListBlock', [rounded(364, 24, c + (255,), outline=shade(c, 1.4) + (255,), radius=4) for c in
                                     ((44, 80, 64), (36, 66, 54), (36, 66, 54), (70, 110, 90), (150, 110, 40))])


def _with_clear_band(frame, height):
    """The frame at the top of a taller transparent picture."""
    im = canvas(frame.width, height)
    im.paste(frame, (0, 0), frame)
    return im


def _check_box(size, on):
    s = SUPERSAMPLE
    big = canvas(size * s, size * s)
    d = ImageDraw.Draw(big)
    d.rounded_rectangle((s, s, size * s - s, size * s - s), 3 * s, fill=(250, 250, 245, 255),
                        outline=(60, 70, 90, 255), width=2 * s)
    if on:
        d.line([(5 * s, 10 * s), (9 * s, 15 * s), (16 * s, 5 * s)], fill=(30, 140, 60, 255), width=3 * s)
    return big.resize((size, size), Image.LANCZOS)


def _radio(size, on):
    s = SUPERSAMPLE
    big = canvas(size * s, size * s)
    d = ImageDraw.Draw(big)
    d.ellipse((s, s, size * s - s, size * s - s), fill=(250, 250, 245, 255), outline=(60, 70, 90, 255), width=2 * s)
    if on:
        d.ellipse((6 * s, 6 * s, size * s - 6 * s, size * s - 6 * s), fill=(200, 60, 40, 255))
    return big.resize((size, size), Image.LANCZOS)
