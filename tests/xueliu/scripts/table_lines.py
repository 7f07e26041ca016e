#!/usr/bin/python3
"""The game-server stand-in's table state (the answer of its control op "table", a JSON file
named on the command line) as plain lines of numbers for the C++ tests, one fact per line:
  state PHASE HANDS_PLAYED TILES_LEFT HUMAN_TIME_OUTS
  silver s0 s1 s2 s3           every chair's silver now
  seat CHAIR MISSING LOCKED CONCEALED_GANGS DRAWN  (the tile drawn this turn, -1 when none)
  hand CHAIR tiles...          the concealed hand, sorted
  melds CHAIR tiles...         every meld's tiles, sorted (concealed gangs included)
  shown CHAIR tiles...         the melds other chairs see (all but concealed gangs), sorted
  pungs CHAIR tiles...         the pungs' tiles, sorted
  discards CHAIR tiles...      sorted
  wins CHAIR tile flags ...    each win in order
and of the last hand played:
  final CHAIR tiles...         its final concealed hand
  deltas d0 d1 d2 d3           its silver changes
  pigs chairs... / ready chairs... / reasons r...  (查花猪 chairs, ready chairs, settlement reasons)"""
import json
import sys


def line(*words):
    print(" ".join(str(w) for w in words))


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        d = json.load(f)
    line("state", d["phase"], d["hands_played"], d["tiles_left"], d["human_time_outs"])
    line("silver", *d["silver"])
    for c, s in enumerate(d["seats"]):
        melds = [t for kind in ("pungs", "discard_gangs", "concealed_gangs", "added_gangs") for m in s[kind] for t in m]
        line("seat", c, s["missing"], int(s["locked"]), len(s["concealed_gangs"]), s["drawn"])
        line("hand", c, *sorted(s["hand"]))
        line("melds", c, *sorted(melds))
        line("shown", c, *sorted(t for kind in ("pungs", "discard_gangs", "added_gangs") for m in s[kind] for t in m))
        line("pungs", c, *sorted(t for m in s["pungs"] for t in m))
        line("discards", c, *sorted(s["discards"]))
        line("wins", c, *[x for w in s["wins"] for x in (w["tile"], w["flags"])])
    if d["history"]:
        h = d["history"][-1]
        for c, hand in enumerate(h["hands"]):
            line("final", c, *sorted(hand))
        line("deltas", *h["deltas"])
        line("pigs", *h["flower_pigs"])
        line("ready", *h["ready"])
        line("reasons", *[e[0] for e in h["entries"]])


if __name__ == "__main__":
    main()
