"""Layouts of this game's table records (docs/protocol.md, P4-P10) as the stand-in's table builds
them. Each struct's size is asserted against the size the note gives it."""
import struct

HIDDEN = 200
NONE = -1

GAME_PARAMS = struct.Struct("<49i")                       # 196: the game-parameter record
START_EXTRA = struct.Struct("<i12x")                      # 16: +0 tiles left
DEAL_START = struct.Struct("<196s16s128i4i")              # 211040
THROWN = struct.Struct("<3i4xi4x4i44xi")                  # 222170
DRAWN = struct.Struct("<4i")                              # 229160
TIME_OUT = struct.Struct("<i")                            # 229165
PENG = struct.Struct("<6i")                               # 229170
GANG_ANNOUNCE = struct.Struct("<8i")                      # 229180
PENG_TILES = struct.Struct("<8i")                         # 229185
GANG_DONE = struct.Struct("<12i")                         # 229195, 229197, 229199
GAME_MESSAGE = struct.Struct("<3i4xiI")                   # 229500 with one chair word of data
ASK_SEE = struct.Struct("<4i16x")                         # 229550 to the watched player
SEE_ANSWER = struct.Struct("<i8x3i")                      # 229570
OFFLINE = struct.Struct("<i")                             # 211240
EXCHANGE_BEGIN = struct.Struct("<2i")                     # 229300
CHOSEN = struct.Struct("<5i")                             # 229320
EXCHANGE_DONE = struct.Struct("<2i3i3ii12x")              # 229330
MISSING_BEGIN = struct.Struct("<2i")                      # 229340
MISSING_SUITS = struct.Struct("<4i")                      # 229360
SCORE_CHANGE = struct.Struct("<2i4i4ii4x")                # 229370
WIN = struct.Struct("<7i16i4i4i2i4x")                     # 229800
RESULT_CHAIR = struct.Struct("<6i16i5i20x")               # 229810 chair block
RESULT_HEAD = struct.Struct("<i512s4iiii12xi")            # 229810 up to +560
SETTLE_ENTRY = struct.Struct("<4i")
RESULT_SIZE = 2096
MONEY_HEAD = struct.Struct("<i16x")                       # 211030
MONEY_ENTRY = struct.Struct("<i4xiii16s16x")
DRAW_RECORD = struct.Struct("<5i12x")                     # reply of 229000, 229215-229217
GANG_REPLY = struct.Struct("<4i32x")                      # reply of 229015
RESYNC_HEAD = struct.Struct("<3i")                        # 229580
UNIT = struct.Struct("<7i")
TABLE_RECORD_SIZE = 4624
PLAY_STATE = struct.Struct("<7i4i4ii")
BLOCK_B_SIZE = 5428

for _s, _n in ((GAME_PARAMS, 196), (DEAL_START, 740), (THROWN, 88), (DRAWN, 16), (PENG, 24), (GANG_ANNOUNCE, 32),
               (PENG_TILES, 32), (GANG_DONE, 48), (GAME_MESSAGE, 24), (ASK_SEE, 32), (SEE_ANSWER, 24),
               (EXCHANGE_BEGIN, 8), (CHOSEN, 20), (EXCHANGE_DONE, 48), (MISSING_BEGIN, 8), (MISSING_SUITS, 16),
               (SCORE_CHANGE, 48), (WIN, 136), (RESULT_CHAIR, 128), (RESULT_HEAD, 560), (SETTLE_ENTRY, 16),
               (MONEY_HEAD, 20), (MONEY_ENTRY, 52), (DRAW_RECORD, 32), (GANG_REPLY, 48), (UNIT, 28),
               (PLAY_STATE, 64)):
    assert _s.size == _n, (_s.format, _s.size, _n)
assert DEAL_START.size + TABLE_RECORD_SIZE + PLAY_STATE.size == BLOCK_B_SIZE

# Table-record offsets: five unit kinds of 4 chairs x 6 units, each kind followed by 4 counts.
UNITS_PER_CHAIR = 6
UNIT_KIND_OFFSETS = {"peng": 0x000, "chi": 0x2B0, "discard_gang": 0x560, "concealed_gang": 0x810,
                     "added_gang": 0xAC0}
UNIT_BLOCK = 4 * UNITS_PER_CHAIR * UNIT.size
DISCARDS_AT, DISCARD_COUNTS_AT = 0xD70, 0xFB0
FLOWERS_AT, FLOWER_COUNTS_AT = 0xFC0, 0x1200
assert FLOWER_COUNTS_AT + 16 == TABLE_RECORD_SIZE
assert all(off + UNIT_BLOCK + 16 <= TABLE_RECORD_SIZE for off in UNIT_KIND_OFFSETS.values())


def pad_list(tiles, n):
    tiles = list(tiles)[:n]
    return tiles + [NONE] * (n - len(tiles))


def table_record(units, discards):
    """units: kind -> 4 lists of 7-word units; discards: 4 lists of tile ids."""
    raw = bytearray(TABLE_RECORD_SIZE)
    for kind, off in UNIT_KIND_OFFSETS.items():
        per_chair = units.get(kind, [[], [], [], []])
        for c in range(4):
            for k, u in enumerate(per_chair[c][:UNITS_PER_CHAIR]):
                UNIT.pack_into(raw, off + (c * UNITS_PER_CHAIR + k) * UNIT.size, *u)
            struct.pack_into("<i", raw, off + UNIT_BLOCK + 4 * c, min(len(per_chair[c]), UNITS_PER_CHAIR))
    for c in range(4):
        struct.pack_into("<36i", raw, DISCARDS_AT + 144 * c, *pad_list(discards[c], 36))
        struct.pack_into("<i", raw, DISCARD_COUNTS_AT + 4 * c, min(len(discards[c]), 36))
        struct.pack_into("<36i", raw, FLOWERS_AT + 144 * c, *([NONE] * 36))
    return bytes(raw)


def result_record(blocks, win_counts, entries, last_tile, hands):
    """229810: blocks are four RESULT_CHAIR tuples; entries (reason, from, to, amount), at most 64."""
    chairs = b"".join(RESULT_CHAIR.pack(*b) for b in blocks)
    head = RESULT_HEAD.pack(0, chairs, *win_counts, NONE, len(entries), last_tile, 0)
    body = b"".join(struct.pack("<32i", *pad_list(h, 32)) for h in hands)
    tail = b"".join(SETTLE_ENTRY.pack(*e) for e in entries[:64]).ljust(64 * SETTLE_ENTRY.size, b"\x00")
    out = head + body + tail
    assert len(out) == RESULT_SIZE
    return out
