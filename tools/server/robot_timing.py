#!/usr/bin/python3
"""Times the robots' decisions: plays hands in-process with four robots (no connections, no think
delay) and prints the count, median, 90th percentile and longest of the decision times in ms.
A decision is one robot step as the table takes it: the exchange, the missing suit, a throw, a
claim, each with the pushes it makes.

Usage: robot_timing.py [--hands N] [--seed S] [--json]
The target is a median under 5 ms; the exit status is 1 when it is missed or a hand failed."""
import argparse
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import offline  # noqa: E402

TARGET_MEDIAN_MS = 5.0


def percentile(ordered, fraction):
    return ordered[min(len(ordered) - 1, int(len(ordered) * fraction))] if ordered else 0.0


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--hands", type=int, default=50)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--json", action="store_true")
    a = p.parse_args()
    t = offline.play(a.hands, seed=a.seed, deadline_s=max(60.0, a.hands * 2.0))
    with t.lock:
        times = sorted(d * 1000.0 for d in t.decisions)
        figures = {"hands": t.hands_played, "decisions": len(times), "median_ms": round(percentile(times, 0.5), 3),
                   "p90_ms": round(percentile(times, 0.9), 3), "max_ms": round(times[-1] if times else 0.0, 3),
                   "errors": list(t.errors)}
    if a.json:
        print(json.dumps(figures))
    else:
        print("%(hands)d hands, %(decisions)d robot decisions: median %(median_ms).3f ms, 90%% %(p90_ms).3f ms, "
              "longest %(max_ms).3f ms" % figures)
        for e in figures["errors"]:
            print("table error: %s" % e)
    ok = figures["hands"] >= a.hands and not figures["errors"] and figures["median_ms"] < TARGET_MEDIAN_MS
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
