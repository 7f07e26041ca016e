"""The hall's side of the hand-over: the records the hall and the game exchange, their cipher,
and the frames of the hall link. Written apart from the client's C++ (struct layouts with a
calcsize check per record, AES from python3-cryptography), so each side checks the other.

All words are 32-bit little-endian; texts are zero-terminated GBK in fixed fields.
"""

from __future__ import annotations

import struct
from dataclasses import dataclass

from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

import xltable

HALL_KEY = bytes.fromhex("3c7a19e4d2086bf15a9e07c3b4d6218f")

# dwData of the copy-data records.
DATA_START = 1
DATA_EXIT = 2
DATA_LOOKON_JOIN = 4
DATA_EXIT_LOST = 5
DATA_PLAYER_LEFT = 6
DATA_USER_DETAILS = 7
DATA_TEXT = 11
DATA_IGNORED = 13
DATA_WEB_SIGN = 14
DATA_ROOM_MOVE = 15

# Messages the game posts to the hall.
MSG_REGISTER_ROOM = 0x9105
MSG_USER_DETAILS = 0x9108
MSG_WEB_SIGN = 0x910C
MSG_REGISTER_MATCH = 0x9118
MSG_CLOSE = 0x0010

# The game's own ini in its program folder (section "Test", key "IsMatch": a match room).
GAME_INI = "qirn.ini"

ROOM_SIZE, TABLE_SIZE, USER_SIZE = 444, 176, 320
TEXT_BLOCK_SIZE = 360
ROOM_LIST_HEADER_SIZE, ROOM_LIST_ENTRY_SIZE = 128, 64
MATCH_BLOCK_SIZE, MATCH_DATA_SIZE = 572, 1480
EXIT_REPORT_SIZE, TEXT_RECORD_SIZE, WEB_SIGN_SIZE = 188, 532, 272
PLAYER_LEFT_SIZE, ROOM_MOVE_SIZE = 16, 160


def _aes():
    return Cipher(algorithms.AES(HALL_KEY), modes.ECB())


def encrypt(plain: bytes) -> bytes:
    """Zero-pads to a multiple of 16, then enciphers each block."""
    padded = plain + b"\0" * (-len(plain) % 16)
    enc = _aes().encryptor()
    return enc.update(padded) + enc.finalize()


def decrypt(cipher: bytes) -> bytes:
    if len(cipher) % 16:
        raise ValueError(f"{len(cipher)} bytes is not a whole number of blocks")
    dec = _aes().decryptor()
    return dec.update(cipher) + dec.finalize()


def _text(text: str | bytes, size: int) -> bytes:
    raw = text if isinstance(text, bytes) else xltable.gbk(text)
    if len(raw) >= size:
        raise ValueError(f"text of {len(raw)} bytes does not fit a field of {size}")
    return raw


def _cstr(raw: bytes) -> bytes:
    return raw.split(b"\0", 1)[0]


# Room record: the fields the client reads, the rest zero.
ROOM_FMT = "<3iI i128s64s64s12s i i12s i8s i4s i112s"
assert struct.calcsize(ROOM_FMT) == ROOM_SIZE


def room_record(room: xltable.Room, keep_texts: bool = False, room_list_count: int | None = None,
                notice_number: int = 0) -> bytes:
    count = len(room.list) if room_list_count is None else room_list_count
    return struct.pack(ROOM_FMT, room.id, 0, 0, notice_number, room.type, _text(room.area, 128),
                       _text(room.notice_host, 64), _text(room.name, 64), b"", room.notice_interval,
                       room.options, b"", room.option_word, b"", 1 if keep_texts else 0, b"", count, b"")


TABLE_FMT = "<4i160s"
assert struct.calcsize(TABLE_FMT) == TABLE_SIZE


def table_record(number: int, players: int, lookon: int) -> bytes:
    return struct.pack(TABLE_FMT, number, 0, players, lookon, b"")


# User record: id, flags, status, table number (the table-check word), a word, name, second name,
# sex, word, character, silver, word, level, score, ..., chair, look-on, ..., value at 164.
USER_FMT = "<iiiii32s16si4sii4s16si36sii12si152s"
assert struct.calcsize(USER_FMT) == USER_SIZE
assert struct.calcsize("<iiiii32s16si4sii4s16si36s") == 144


def user_record(user: xltable.User, table: int, lookon: bool = False, status: int = 0, flags: int = 0,
                chair: int | None = None) -> bytes:
    return struct.pack(USER_FMT, user.user_id, flags, status, table, 0, _text(user.name, 32),
                       _text(user.second_name, 16), user.sex, b"", user.character, user.silver, b"",
                       _text(user.level, 16), user.score, b"", user.chair if chair is None else chair,
                       1 if lookon else 0, b"", 0, b"")


def user_fields(raw: bytes) -> dict:
    f = struct.unpack(USER_FMT, raw[:USER_SIZE])
    return {"user_id": f[0], "flags": f[1], "status": f[2], "table": f[3], "name": _cstr(f[5]),
            "second_name": _cstr(f[6]), "chair": f[15], "lookon": f[16]}


def room_list(entries: list[xltable.RoomEntry], value: int = 0, count: int | None = None) -> bytes:
    header = struct.pack("<4i112s", 0, 0, len(entries) if count is None else count, value, b"")
    assert len(header) == ROOM_LIST_HEADER_SIZE
    body = b"".join(struct.pack("<3i52s", e.id, e.min_silver, e.max_silver, b"") for e in entries)
    return header + body


def text_block(texts: list[str]) -> bytes:
    raw = b"|".join(xltable.gbk(t) for t in texts)
    if len(raw) > TEXT_BLOCK_SIZE:
        raise ValueError("text block longer than 360 bytes")
    return raw + b"\0" * (TEXT_BLOCK_SIZE - len(raw))


def start_data(t: xltable.Table, texts: list[str] | None = None, players: list[bytes] | None = None,
               lookons: list[bytes] | None = None, **room_args) -> bytes:
    """Ordinary start data of the table file (all its players, its watchers as look-on users)."""
    if players is None:
        players = [user_record(p, t.number) for p in t.players]
    if lookons is None:
        lookons = [user_record(w, t.number, lookon=True, chair=t.human_chair) for w in t.watchers]
    return (room_record(t.room, keep_texts=texts is not None, **room_args)
            + table_record(t.number, len(players), len(lookons))
            + b"".join(players) + b"".join(lookons)
            + text_block(texts or [])
            + room_list(t.room.list))


# The match record (ours, docs/protocol.md "Match rooms"): a player's standing and the match's
# facts. The login's answer 210500 carries it; it is also the head of the match data.
MATCH_RECORD_FMT = "<i12xi32s20s64s6i12x8i5i36x"
MATCH_RECORD_SIZE = 260
assert struct.calcsize(MATCH_RECORD_FMT) == MATCH_RECORD_SIZE


@dataclass
class MatchFacts:
    state: int = 0              # 500 started, 600 a later phase
    seconds: int = 120          # until the start
    fee_kind: int = 1           # 1 silver, 2 tongbao
    fee: int = 100
    value: int = 0              # handed to the scene with the waiting state
    rank_level: int = 1
    rank_points: int = 10
    next_level_points: int = 50
    wins: int = 0
    losses: int = 0
    draws: int = 0
    match_values: tuple = (0,) * 8


def match_record(own: xltable.User, match_name: str, f: MatchFacts | None = None) -> bytes:
    f = f or MatchFacts()
    return struct.pack(MATCH_RECORD_FMT, own.user_id, own.character, _text(own.name, 32),
                       _text(own.second_name, 20), _text(match_name, 64), f.rank_level, f.rank_points,
                       f.next_level_points, f.wins, f.losses, f.draws, *f.match_values, f.state, f.seconds,
                       f.fee_kind, f.fee, f.value)


def match_start_data(t: xltable.Table, own: xltable.User, match_room_name: str,
                     facts: MatchFacts | None = None) -> bytes:
    block = room_record(t.room) + b"\0" * (MATCH_BLOCK_SIZE - ROOM_SIZE)
    data = match_record(own, match_room_name, facts).ljust(MATCH_DATA_SIZE, b"\0")
    out = block + table_record(t.number, 1, 0) + user_record(own, t.number, chair=0) + data
    assert len(out) == 2548
    return out


EXIT_FMT = "<9i i148s"
assert struct.calcsize(EXIT_FMT) == EXIT_REPORT_SIZE


@dataclass
class ExitReport:
    window: int
    user_id: int
    field6: int
    chair: int
    version_a: int
    lookon: int
    lost: int
    game_id: int
    version_b: int
    room_id: int


def exit_report(raw: bytes) -> ExitReport:
    """Decodes the game's exit report, checking its size and that every unused byte is zero."""
    if len(raw) != EXIT_REPORT_SIZE:
        raise ValueError(f"exit report of {len(raw)} bytes")
    f = struct.unpack(EXIT_FMT, raw)
    if f[10] != b"\0" * 148:
        raise ValueError("exit report: bytes after offset 40 are not zero")
    return ExitReport(*f[:10])


TEXT_FMT = "<I4i256s256s"
assert struct.calcsize(TEXT_FMT) == TEXT_RECORD_SIZE


def text_record(raw: bytes) -> dict:
    f = struct.unpack(TEXT_FMT, raw[:TEXT_RECORD_SIZE])
    if f[6] != b"\0" * 256 or raw[TEXT_RECORD_SIZE:] != b"\0" * (len(raw) - TEXT_RECORD_SIZE):
        raise ValueError("text record: bytes after the text are not zero")
    if b"\0" not in f[5]:
        raise ValueError("text record: the text has no terminating zero")
    return {"window": f[0], "user_id": f[1], "game_id": f[2], "field2": f[3], "code": f[4],
            "text": _cstr(f[5])}


WEB_SIGN_FMT = "<II256s4sI"
assert struct.calcsize(WEB_SIGN_FMT) == WEB_SIGN_SIZE


def web_sign_answer(user_id: int, sign: str | bytes, token: int) -> bytes:
    return struct.pack(WEB_SIGN_FMT, user_id, 0, _text(sign, 256), b"", token)


def player_left(hall_window: int, user_id: int, table: int, chair: int) -> bytes:
    return struct.pack("<Iiii", hall_window, user_id, table, chair)


ROOM_MOVE_FMT = "<I6i132s"
assert struct.calcsize(ROOM_MOVE_FMT) == ROOM_MOVE_SIZE


def room_move(raw: bytes) -> dict:
    f = struct.unpack(ROOM_MOVE_FMT, raw[:ROOM_MOVE_SIZE])
    return {"window": f[0], "user_id": f[1], "game_id": f[2], "own_room": f[3], "target_room": f[4],
            "field2": f[5], "reason": f[6]}


def command_line(t: xltable.Table, hall_window: int, field2: int = 0, field4: int = 0, field6: int = 0,
                 relaunched: int = 0, user: xltable.User | None = None, lookon: bool = False) -> str:
    """The 15 fields the hall starts the client with (str; the caller encodes to GBK)."""
    u = user or t.human()
    fields = [t.game_id, t.host, field2, hall_window, field4, u.user_id, field6,
              t.human_chair if lookon else u.chair, 1 if lookon else 0, relaunched, t.game_name, t.port,
              t.room.type, t.room.options, t.room.option_word]
    return "|".join(str(f) for f in fields)


# Hall link frames.
LINK_MAGIC = 0x4C484C58
LINK_VERSION = 1
KIND_HELLO, KIND_POST, KIND_COPYDATA, KIND_ACK = 1, 2, 3, 4
LINK_HEAD_FMT = "<IHHIIIIII"
LINK_HEAD_SIZE = 32
assert struct.calcsize(LINK_HEAD_FMT) == LINK_HEAD_SIZE
LINK_MAX = 64 * 1024


@dataclass
class Frame:
    kind: int
    seq: int
    target: int = 0
    message: int = 0  # POST: message; COPYDATA: dwData
    wparam: int = 0
    lparam: int = 0   # POST: lParam; ACK: result
    payload: bytes = b""

    def pack(self) -> bytes:
        return struct.pack(LINK_HEAD_FMT, LINK_MAGIC, LINK_VERSION, self.kind, self.seq, self.target,
                           self.message & 0xFFFFFFFF, self.wparam & 0xFFFFFFFF, self.lparam & 0xFFFFFFFF,
                           len(self.payload)) + self.payload


def unpack_frame(raw: bytes) -> Frame:
    if len(raw) < LINK_HEAD_SIZE:
        raise ValueError(f"frame of {len(raw)} bytes")
    magic, version, kind, seq, target, message, wparam, lparam, n = struct.unpack_from(LINK_HEAD_FMT, raw)
    if magic != LINK_MAGIC or version != LINK_VERSION or n != len(raw) - LINK_HEAD_SIZE:
        raise ValueError("bad frame head")
    return Frame(kind, seq, target, message, wparam, lparam, raw[LINK_HEAD_SIZE:])


def hello_fields(payload: bytes) -> tuple[int, int, int]:
    """(process id, user id, main window id)."""
    return struct.unpack("<III", payload[:12])
