#!/usr/bin/python3
"""The client between both stand-ins: a game server on a free loopback port and the hall, which
starts the client, hands it the start data and goes after a while. Prints one JSON object: the
client's exit status, the seconds from the hall's going to the client's end, the hall's record
and the ids the server was asked for.

Usage: whole_run.py CLIENT WORKDIR [--no-server] [--display] [--anchor PROGRAM]

With --no-server nothing listens on the table's port (a free one, never the default that other
runs on this machine may use) and the hall does not go: the client must end by itself.

The client traces its start-up (XL_START_TRACE): the summary adds the seconds from its start to
its first table frame, the part of them spent waiting for the stand-ins' answers, the rest (the
client's own share) and the processor seconds it used by then. --display uses the display in
DISPLAY instead of the dummy driver; --anchor runs PROGRAM (a bare window that prints the
monotonic clock of its first frame) the same way and adds its seconds from start to first frame.
"""
import json
import os
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.join(here, "..", "..", "..")
sys.path.insert(0, os.path.join(root, "tools", "py"))
import xllocal  # noqa: E402
import xltable  # noqa: E402

client, work = sys.argv[1], sys.argv[2]
no_server = "--no-server" in sys.argv[3:]
display = "--display" in sys.argv[3:] and bool(os.environ.get("DISPLAY"))
anchor = sys.argv[sys.argv.index("--anchor") + 1] if "--anchor" in sys.argv[3:] else None


def start_up(trace_path, started):
    """Seconds to the first table frame, of them waiting on the stand-ins (the union of the
    traced waits), and the rest; None when the trace has no table frame."""
    marks, cpu, waits = {}, {}, []
    if os.path.exists(trace_path):
        for line in open(trace_path):
            f = line.split()
            if f[0] == "mark":
                marks.setdefault(f[1], float(f[2]))
                cpu.setdefault(f[1], float(f[3]))
            elif f[0] == "wait":
                waits.append((float(f[2]), float(f[3])))
    frame = marks.get("table-frame")
    if frame is None or started is None:
        return None
    waited, reach = 0.0, started
    for a, b in sorted(waits):
        a, b = max(a, reach), min(b, frame)
        if b > a:
            waited += b - a
            reach = b
    return {"to_table_frame": frame - started, "waited": waited, "client_share": frame - started - waited,
            "cpu_to_table_frame": cpu["table-frame"], "cpu_at_main": cpu.get("main"),
            "marks": {k: [round(v - started, 4), round(cpu[k], 4)] for k, v in marks.items()}}


def anchor_first_frame(env):
    begun = time.monotonic()  # before the fork, as the hall times the client
    proc = subprocess.Popen([anchor], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    out, _ = proc.communicate(timeout=30)
    try:
        return float(out.split()[0]) - begun
    except (IndexError, ValueError):
        return None

os.makedirs(work, exist_ok=True)
table_path, port = xltable.write_on_free_port(work)
control = xllocal.private_name("whole")
server = None if no_server else subprocess.Popen([sys.executable, os.path.join(root, "tools", "server", "game_server.py"), "--port",
                           str(port), "--table", table_path, "--control", control],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    if not no_server:
        xllocal.wait_listening(control, 4)
    record = os.path.join(work, "record.jsonl")
    trace = os.path.join(work, "start-trace.txt")
    env = dict(os.environ, SDL_AUDIODRIVER="dummy", XL_START_TRACE=trace)
    if not display:
        env["SDL_VIDEODRIVER"] = "dummy"
    status = subprocess.run([sys.executable, os.path.join(root, "tools", "hall", "hall.py"), client, "--table",
                             table_path, "--run-dir", os.path.join(work, "run"), "--record", record]
                            + ([] if no_server else ["--hang-up-after", "1.0"]), env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, timeout=60).returncode
    events = [json.loads(line) for line in open(record, encoding="utf-8")]
    state = None
    if server:
        state = xllocal.command(control, {"op": "state"})
    hang = next((e["t"] for e in events if e["event"] == "hang-up"), None)
    end = next(e["t"] for e in events if e["event"] == "client-exit")
    started = next(e["t"] for e in events if e["event"] == "client-started")
    register = next((e["t"] for e in events if e["event"] == "post" and e.get("message") == "0x9105"), None)
    start_seq = next((e["seq"] for e in events if e["event"] == "send" and e.get("message") == 1), None)
    start_ack = next((e["t"] for e in events if e["event"] == "ack" and e.get("seq") == start_seq), None)
    clock = next((e.get("clock") for e in events if e["event"] == "client-started"), None)
    figures = start_up(trace, clock) or {}
    if anchor:
        figures["anchor_first_frame"] = anchor_first_frame(dict(env, XL_START_TRACE=""))
    print(json.dumps({"status": status, "gone_to_end": None if hang is None else end - hang,
                      "to_register": None if register is None else register - started,
                      "to_start_data_taken": None if start_ack is None else start_ack - started,
                      **figures,
                      "events": [e["event"] for e in events],
                      "posts": [e.get("message") for e in events if e["event"] == "post"],
                      "exit_reports": [e["exit_report"] for e in events if "exit_report" in e],
                      "errors": [e["error"] for e in events if "error" in e],
                      "state": state}, ensure_ascii=False, default=str))
finally:
    if server:
        server.terminate()
        server.wait()
