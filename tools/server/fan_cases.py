#!/usr/bin/python3
"""Plays robot hands in-process and prints every win as one line for an independent fan count:
  chair missing win_flags tile tiles_left after_gang_discard gang_replacement total
  | hand | pungs | discard gangs | concealed gangs | added gangs | 16 counters
(sections of space-separated integers; melds flattened, three or four tiles each).

Usage: fan_cases.py [--hands 200] [--seed 7]"""
import argparse
import json
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import offline  # noqa: E402


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--hands", type=int, default=200)
    p.add_argument("--seed", type=int, default=7)
    a = p.parse_args()
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "wins.jsonl")
        t = offline.play(a.hands, a.seed, dump=path)
        if t.errors or t.hands_played < a.hands:
            print("error: %d hands played, %s" % (t.hands_played, t.errors), file=sys.stderr)
            return 1
        for line in open(path):
            w = json.loads(line)
            flat = lambda melds: " ".join(str(x) for m in melds for x in m)  # noqa: E731
            head = [w[k] for k in ("chair", "missing", "win_flags", "tile", "tiles_left", "after_gang_discard",
                                   "gang_replacement", "total")]
            print(" | ".join([" ".join(map(str, head)), " ".join(map(str, w["hand"])), flat(w["pungs"]),
                              flat(w["discard_gangs"]), flat(w["concealed_gangs"]), flat(w["added_gangs"]),
                              " ".join(map(str, w["counters"]))]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
