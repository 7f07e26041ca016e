"""Reader of the table file that the hall stand-in and the game-server stand-in share.

One JSON file (UTF-8) describes a table: the game server's address, the game, the room (with
the room-switching list), the table number, the four players (one human, the rest robots) and
optional look-on users. Both stand-ins read it through `load`; texts stay str here and each
side encodes them to GBK with `gbk` where a record carries them. Standard library only.
"""

from __future__ import annotations

import json
import os
from dataclasses import dataclass, field

DEFAULT_PATH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tables", "default.json")

# Room type bits the stand-ins act on.
ROOM_TYPE_SILVER = 0x04
ROOM_TYPE_HEAVENLY_HANDS = 0x10


class TableFileError(ValueError):
    """The table file is missing a field or holds a value out of range."""


@dataclass
class RoomEntry:
    id: int
    min_silver: int
    max_silver: int
    tip_silver: int = 0   # the switch-room tip line of this room; 0: none


@dataclass
class Room:
    id: int
    name: str
    area: str
    type: int
    options: int
    option_word: int
    notice_host: str
    notice_interval: int
    base_silver: int
    base_score: int
    list: list[RoomEntry]


@dataclass
class User:
    chair: int
    user_id: int
    name: str
    second_name: str = ""
    sex: int = 0
    character: int = 1
    silver: int = 0
    score: int = 0
    level: str = ""
    robot: bool = True


@dataclass
class Table:
    host: str
    port: int
    game_id: int
    game_name: str
    room: Room
    number: int
    players: list[User]
    human_chair: int
    watchers: list[User] = field(default_factory=list)

    def human(self) -> User:
        for p in self.players:
            if p.chair == self.human_chair:
                return p
        raise TableFileError(f"no player sits at human_chair {self.human_chair}")

    def robots(self) -> list[User]:
        return [p for p in self.players if p.robot]


def gbk(text: str) -> bytes:
    """The text as the records carry it."""
    return text.encode("gbk")


def _get(obj: dict, key: str, kind, where: str, default=None):
    if key not in obj:
        if default is not None:
            return default
        raise TableFileError(f"{where}: missing '{key}'")
    value = obj[key]
    if kind is int and isinstance(value, bool):
        raise TableFileError(f"{where}.{key}: expected a number, got {value!r}")
    if not isinstance(value, kind):
        raise TableFileError(f"{where}.{key}: expected {kind.__name__}, got {value!r}")
    return value


def _u32(obj: dict, key: str, where: str, default=None) -> int:
    value = _get(obj, key, int, where, default)
    if not 0 <= value <= 0xFFFFFFFF:
        raise TableFileError(f"{where}.{key}: {value} does not fit 32 bits")
    return value


def _i32(obj: dict, key: str, where: str, default=None) -> int:
    value = _get(obj, key, int, where, default)
    if not -0x80000000 <= value <= 0x7FFFFFFF:
        raise TableFileError(f"{where}.{key}: {value} does not fit 32 bits")
    return value


def _text(obj: dict, key: str, where: str, size: int, default=None) -> str:
    value = _get(obj, key, str, where, default)
    try:
        encoded = gbk(value)
    except UnicodeEncodeError as exc:
        raise TableFileError(f"{where}.{key}: not a GBK text ({exc})") from None
    if len(encoded) >= size:
        raise TableFileError(f"{where}.{key}: {len(encoded)} GBK bytes, at most {size - 1}")
    return value


def _user(obj: dict, where: str) -> User:
    if not isinstance(obj, dict):
        raise TableFileError(f"{where}: expected an object")
    user = User(
        chair=_i32(obj, "chair", where),
        user_id=_u32(obj, "user_id", where),
        name=_text(obj, "name", where, 32),
        second_name=_text(obj, "second_name", where, 16, ""),
        sex=_i32(obj, "sex", where, 0),
        character=_i32(obj, "character", where, 1),
        silver=_i32(obj, "silver", where, 0),
        score=_i32(obj, "score", where, 0),
        level=_text(obj, "level", where, 16, ""),
        robot=_get(obj, "robot", bool, where, True),
    )
    if user.user_id == 0:
        raise TableFileError(f"{where}.user_id: 0 marks a free entry")
    return user


def parse(doc: dict) -> Table:
    """A table from the decoded JSON document; TableFileError on any fault."""
    if not isinstance(doc, dict):
        raise TableFileError("the table file holds no object")
    server = _get(doc, "server", dict, "")
    game = _get(doc, "game", dict, "")
    room = _get(doc, "room", dict, "")
    entries = []
    for i, e in enumerate(_get(room, "list", list, "room", [])):
        w = f"room.list[{i}]"
        if not isinstance(e, dict):
            raise TableFileError(f"{w}: expected an object")
        entries.append(RoomEntry(_u32(e, "id", w), _i32(e, "min_silver", w), _i32(e, "max_silver", w),
                                 _i32(e, "tip_silver", w) if "tip_silver" in e else 0))
    if len(entries) > 32:
        raise TableFileError(f"room.list: {len(entries)} rooms, at most 32")
    table = Table(
        host=_text(server, "host", "server", 32),
        port=_get(server, "port", int, "server"),
        game_id=_u32(game, "id", "game"),
        game_name=_text(game, "name", "game", 128),
        room=Room(
            id=_u32(room, "id", "room"),
            name=_text(room, "name", "room", 64),
            area=_text(room, "area", "room", 128),
            type=_u32(room, "type", "room", 0),
            options=_u32(room, "options", "room", 0),
            option_word=_u32(room, "option_word", "room", 0),
            notice_host=_text(room, "notice_host", "room", 64, ""),
            notice_interval=_i32(room, "notice_interval", "room", 0),
            base_silver=_i32(room, "base_silver", "room", 0),
            base_score=_i32(room, "base_score", "room", 0),
            list=entries,
        ),
        number=_u32(_get(doc, "table", dict, ""), "number", "table"),
        players=[_user(p, f"players[{i}]") for i, p in enumerate(_get(doc, "players", list, ""))],
        human_chair=_i32(doc, "human_chair", ""),
        watchers=[_user(w, f"watchers[{i}]") for i, w in enumerate(_get(doc, "watchers", list, "", []))],
    )
    if not 0 <= table.port <= 65535:
        raise TableFileError(f"server.port: {table.port} is no port")
    if not 1 <= len(table.players) <= 8:
        raise TableFileError(f"players: {len(table.players)} entries, 1 to 8 expected")
    if len(table.watchers) > 64:
        raise TableFileError(f"watchers: {len(table.watchers)} entries, at most 64")
    chairs = [p.chair for p in table.players]
    if any(not 0 <= c <= 7 for c in chairs) or len(set(chairs)) != len(chairs):
        raise TableFileError(f"players: chairs {chairs} must be distinct and within 0..7")
    ids = [u.user_id for u in table.players + table.watchers]
    if len(set(ids)) != len(ids):
        raise TableFileError("players and watchers: user ids must be distinct")
    table.human()
    return table


def load(path: str | None = None) -> Table:
    """Reads and checks the table file (the default one when no path is given)."""
    path = path or DEFAULT_PATH
    try:
        with open(path, encoding="utf-8") as f:
            doc = json.load(f)
    except OSError as exc:
        raise TableFileError(f"{path}: {exc.strerror}") from None
    except json.JSONDecodeError as exc:
        raise TableFileError(f"{path}: not JSON ({exc})") from None
    return parse(doc)


if __name__ == "__main__":
    import sys

    t = load(sys.argv[1] if len(sys.argv) > 1 else None)
    print(f"{t.game_name} room {t.room.id} table {t.number}: "
          + ", ".join(f"{p.chair}:{p.user_id}{'' if p.robot else '*'}" for p in t.players))


def write_on_free_port(folder: str) -> tuple[str, int]:
    """The default table with its server on a free loopback port, written into `folder` (for
    runs beside others on one machine); returns the file's path and the port."""
    import socket

    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    with open(DEFAULT_PATH, encoding="utf-8") as f:
        doc = json.load(f)
    doc["server"]["port"] = port
    path = os.path.join(folder, "table.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(doc, f, ensure_ascii=False)
    return path, port
