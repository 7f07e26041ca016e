"""The table played in-process with no connections: every chair a robot, no think delay.
Used by the fan-case dump and by tests that need many hands quickly."""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "py"))
from table_file import load_table  # noqa: E402
import table as table_module  # noqa: E402


class OfflineServer:
    def __init__(self, table_path=None):
        self.table = load_table(table_path)
        self.ready = set()
        self.playing = False
        self.errors = []
        self.pushes = 0

    def live_sessions(self):
        return []

    def push_all(self, notify_id, data, but=None):
        self.pushes += 1

    def error(self, text):
        self.errors.append(text)


def play(hands, seed=None, dump=None, table_path=None, wall_file=None, deadline_s=60.0):
    """Plays `hands` hands with four robots; returns the table once they are over."""
    server = OfflineServer(table_path)
    t = table_module.Table(server, fast=True, seed=seed, wall_file=wall_file, hands=hands, autoplay_human=True,
                           dump=dump)
    t.later(0, t.robots_ready)
    end = time.monotonic() + deadline_s
    while time.monotonic() < end:
        with t.lock:
            if t.hands_played >= hands or t.errors:
                break
        time.sleep(0.005)
    return t
