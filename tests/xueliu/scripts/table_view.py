"""Prints the game-server stand-in's table (the JSON answer of its control op "table") as a
client at one chair may see it, one line per chair, for the tests that compare it with the
scene: "missing wins count | hand | discards | melds | middle", the hand sorted (empty unless
seen), the discards in order, the meld tiles sorted (other chairs' concealed gangs as 200),
the tile still in the middle or -1. The first line is "phase discards" (all chairs' discards).

Usage: table_view.py STATE.json VIEWER [end] (VIEWER a chair, -1 for one that sees no hand;
"end": the last hand's end, every final hand shown)."""
import json
import sys

HIDDEN = 200


def main():
    doc = json.load(open(sys.argv[1], encoding="utf-8"))
    viewer = sys.argv[2]
    end = sys.argv[3:] == ["end"]
    seats = doc["seats"]
    print(doc["phase"], sum(len(s["discards"]) for s in seats))
    hands = doc["history"][-1]["hands"] if end and doc["history"] else [s["hand"] for s in seats]
    for c, s in enumerate(seats):
        seen = end or str(c) == viewer
        melds = [t for m in s["pungs"] + s["discard_gangs"] + s["added_gangs"] for t in m]
        melds += [t if str(c) == viewer else HIDDEN for m in s["concealed_gangs"] for t in m]
        middle = doc.get("middle")
        fields = ["%d %d %d" % (s["missing"], len(s["wins"]), len(hands[c])),
                  " ".join(map(str, sorted(hands[c]))) if seen else "",
                  " ".join(map(str, s["discards"])),
                  " ".join(map(str, sorted(melds))),
                  str(middle[1] if middle and middle[0] == c else -1)]
        print(" | ".join(fields))


if __name__ == "__main__":
    main()
