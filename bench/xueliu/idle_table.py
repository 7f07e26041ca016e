#!/usr/bin/python3
"""The built client at the table with nothing moving: the game-server stand-in (no hand is
played), the hall, which starts the client and hands it the start data, and then a quiet
stretch. Prints one JSON object: the share of one core the client's threads used over the
stretch and their context switches a second, from /proc.

Usage: idle_table.py CLIENT WORKDIR SECONDS

The client uses the display in DISPLAY when there is one (run under Xvfb), else the display
library's dummy driver; sound goes to the dummy driver.
"""
import glob
import json
import os
import signal
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.join(here, "..", "..")
sys.path.insert(0, os.path.join(root, "tools", "py"))
import xllocal  # noqa: E402
import xltable  # noqa: E402

client, work, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
os.makedirs(work, exist_ok=True)
table_path, port = xltable.write_on_free_port(work)


def threads_cost(pid):
    """Nanoseconds on a processor and context switches, summed over the process's threads."""
    ns = switches = 0
    for task in glob.glob(f"/proc/{pid}/task/*"):
        try:
            with open(os.path.join(task, "schedstat")) as f:
                ns += int(f.read().split()[0])
            with open(os.path.join(task, "status")) as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        switches += int(line.split()[1])
        except OSError:
            pass  # a thread that ended meanwhile
    return ns, switches


control = xllocal.private_name("idle")
server = subprocess.Popen([sys.executable, os.path.join(root, "tools", "server", "game_server.py"), "--port",
                           str(port), "--table", table_path, "--control", control],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
hall = None
pid = None
result = {"error": "the client never reached the table"}
try:
    xllocal.wait_listening(control, 4)
    record = os.path.join(work, "record.jsonl")
    env = dict(os.environ, SDL_AUDIODRIVER="dummy")
    if not env.get("DISPLAY"):
        env["SDL_VIDEODRIVER"] = "dummy"
    hall = subprocess.Popen([sys.executable, os.path.join(root, "tools", "hall", "hall.py"), client, "--table",
                             table_path, "--run-dir", os.path.join(work, "run"), "--record", record],
                            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline and pid is None:
        time.sleep(0.1)
        if os.path.exists(record):
            for line in open(record, encoding="utf-8"):
                event = json.loads(line)
                if event["event"] == "client-started":
                    pid = event["pid"]
    # At the table once the start data are in; then the first frames settle.
    time.sleep(4.0)
    if pid is not None and os.path.exists(f"/proc/{pid}"):
        ns0, sw0 = threads_cost(pid)
        t0 = time.monotonic()
        time.sleep(seconds)
        ns1, sw1 = threads_cost(pid)
        wall = time.monotonic() - t0
        result = {"cpu_pct_of_core": 100.0 * (ns1 - ns0) / 1e9 / wall, "switches_per_s": (sw1 - sw0) / wall}
finally:
    if pid is not None:
        try:
            os.killpg(pid, signal.SIGTERM)
        except OSError:
            pass
    if hall:
        os.killpg(hall.pid, signal.SIGTERM)
        hall.wait(timeout=10)
    server.terminate()
    server.wait(timeout=10)
print(json.dumps(result))
