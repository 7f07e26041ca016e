#!/usr/bin/python3
"""Checks what one headless `tools/run.sh` left behind.

Usage: run_check.py LOGS SHOT...

LOGS is the run's logs folder (server.log, hall.jsonl, run/game/GameRun.log). Fails (exit 1) unless
the server's log shows a result and the chat line typed into the client, the hall recorded exactly one exit report and one clean client
exit, the engine's log names no missing resource (a picture asked for by an empty name
included) and no missing frame and says that the client laid the deal out, every screenshot
shows more than a handful of colours and the table's green round the scene's centre, and the
screenshot after the deal (its name holds "dealt") shows the own hand: tile faces, not the
table's green, along the bottom of the scene.
"""
import json
import os
import re
import sys

from PIL import Image


def problems(logs, shots):
    out = []
    with open(os.path.join(logs, "server.log"), encoding="utf-8", errors="replace") as f:
        server_log = f.read()
        if not re.search(r"hand \d+: result", server_log):
            out.append("the server's log shows no result")
        if "chat from 1001: hello" not in server_log:
            out.append("the server's log shows no chat line from the client")
    events = []
    with open(os.path.join(logs, "hall.jsonl"), encoding="utf-8") as f:
        events = [json.loads(line) for line in f if line.strip()]
    reports = [e for e in events if "exit_report" in e]
    exits = [e for e in events if e.get("event") == "client-exit"]
    if len(reports) != 1:
        out.append("the hall saw %d exit reports" % len(reports))
    if len(exits) != 1 or exits[0].get("status") != 0:
        out.append("the client did not end cleanly: %s" % exits)
    engine_log = os.path.join(logs, "run", "game", "GameRun.log")
    if os.path.exists(engine_log):
        with open(engine_log, "rb") as f:
            text = f.read().decode("gb18030", errors="replace")
        missing = sorted(set(name or "(no name)" for name in re.findall(r'res "([^"]*)" does not exists', text)))
        if missing:
            out.append("missing resources: %s" % ", ".join(missing))
        frames = sorted(set(re.findall(r'res "([^"]*)" invalid frame', text)))
        if frames:
            out.append("pictures asked for a frame they lack: %s" % ", ".join(frames))
        if "MainGame: the deal is laid out" not in text:
            out.append("the client's log shows no deal laid out")
    for shot in shots:
        im = Image.open(shot).convert("RGB")
        colours = im.getcolors(maxcolors=1 << 16)
        if colours is not None and len(colours) <= 8:
            out.append("%s: only %d colours" % (shot, len(colours)))
        # Tiles, boards and the clock stand in the middle, so a few points round it are asked.
        points = [(int(im.width * fx), int(im.height * fy)) for fx in (0.2, 0.3, 0.4) for fy in (0.4, 0.5, 0.6)]
        if not any(g > r and g > b for r, g, b in (im.getpixel(p) for p in points)):
            r, g, b = im.getpixel(points[4])
            out.append("%s: no table round the scene's centre (%d, %d, %d)" % (shot, r, g, b))
        if "dealt" in os.path.basename(shot) and own_hand_share(im) < MIN_OWN_HAND_SHARE:
            out.append("%s: no own hand along the bottom (%.2f of it tile faces)" % (shot, own_hand_share(im)))
    return out


# The own hand's tiles stand centred along the bottom of the scene (the side panel takes the
# right of the window); a table that shows only the wall is green there.
OWN_HAND_BOX = (0.1, 0.84, 0.6, 0.95)
MIN_OWN_HAND_SHARE = 0.15


def own_hand_share(im):
    """The share of light (tile face) pixels in the own hand's box."""
    left, top, right, bottom = (int(f * s) for f, s in zip(OWN_HAND_BOX, (im.width, im.height) * 2))
    pixels = list(im.crop((left, top, right, bottom)).getdata())
    return sum(1 for r, g, b in pixels if r > 200 and g > 200 and b > 190) / max(1, len(pixels))


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    found = problems(argv[1], argv[2:])
    for p in found:
        print("run check: " + p, file=sys.stderr)
    if not found:
        print("run check: ok (%d screenshots)" % len(argv[2:]))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
