"""The table the game-server stand-in serves, from the table file it shares with the hall
stand-in (tools/tables/default.json): room id, table number, the four players by chair and which
of them are robots. Without a file, the default table: room 1, table 1, users 1001-1004, the
player of chair 0 human and the others robots."""
import json
import os

DEFAULT_PATH = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tables",
                                             "default.json"))


def load_table(path=None):
    path = path or DEFAULT_PATH
    doc = {}
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            doc = json.load(f)
    players = doc.get("players") or [{"chair": c, "user_id": 1001 + c, "robot": c != 0} for c in range(4)]
    uids = [0] * 4
    robots = set()
    for p in players:
        chair = int(p["chair"])
        if not 0 <= chair < 4:
            raise ValueError("%s: chair %d out of range" % (path, chair))
        uids[chair] = int(p["user_id"])
        if p.get("robot", True):
            robots.add(chair)
    return {
        "room_id": int(doc.get("room", {}).get("id", 1)),
        "table": int(doc.get("table", {}).get("number", 1)),
        "uids": uids,
        "robots": robots,
    }
