"""The table the game-server stand-in serves, read through the table-file reader it shares with
the hall stand-in (tools/py/xltable.py, file tools/tables/default.json): room id, table number,
the four players' user ids by chair and which chairs robots play."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "py"))
import xltable  # noqa: E402


def load_table(path=None):
    table = xltable.load(path)
    uids = [0] * 4
    robots = set()
    for p in table.players:
        uids[p.chair] = p.user_id
        if p.robot:
            robots.add(p.chair)
    return {"room_id": table.room.id, "table": table.number, "uids": uids, "robots": robots,
            "document": table}
