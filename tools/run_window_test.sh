#!/usr/bin/env bash
# The run command's window path under a fake display: it starts the stand-ins and the client,
# the client idles at the table, and Ctrl-C (SIGINT to the script) stops all three. Fails when
# a process of the run is left behind. Prints the client's CPU share over the idle period.
# Usage: run_window_test.sh [build folder] (default build); needs Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
case "$build" in /*) ;; *) build=$PWD/$build ;; esac
logs=$(mktemp -d "${TMPDIR:-/tmp}/xl-window-XXXXXX")
trap 'rm -rf "$logs"' EXIT
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$logs/display" 2>/dev/null &
xvfb=$!
# A loaded machine may take a while to start it: wait as long as it runs, then fail plainly
# rather than run the client against no display.
for _ in $(seq 600); do
  [ -s "$logs/display" ] || ! kill -0 "$xvfb" 2>/dev/null && break
  sleep 0.05
done
[ -s "$logs/display" ] || { echo "window test: Xvfb did not start"; exit 1; }
export DISPLAY=:$(cat "$logs/display")
# As from a terminal: its own process group, Ctrl-C not ignored (a background job's would be).
XL_SKIP_SETUP=1 XL_RUN_BUILD="$build" XL_RUN_LOGS="$logs/run" /usr/bin/python3 -c 'import os, signal
signal.signal(signal.SIGINT, signal.SIG_DFL)
os.setsid()
os.execvp("bash", ["bash", "tools/run.sh"])' >"$logs/out" 2>&1 &
run=$!
status=0
client=""
for _ in $(seq 200); do
  client=$(/usr/bin/python3 -c 'import json,sys
for l in open(sys.argv[1]):
    e = json.loads(l)
    if e.get("event") == "client-started": print(e["pid"]); break' "$logs/run/hall.jsonl" 2>/dev/null || true)
  [ -n "$client" ] && grep -q '"event": "send"' "$logs/run/hall.jsonl" 2>/dev/null && break
  sleep 0.05
done
if [ -z "$client" ]; then
  echo "window test: the client did not start"; cat "$logs/out"; status=1
else
  ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
  t0=$(ticks "$client"); s0=$(date +%s.%N)
  sleep 10  # the idle period being measured
  t1=$(ticks "$client"); s1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" -v hz="$(getconf CLK_TCK)" -v s="$s0" -v e="$s1" \
    'BEGIN { printf "window test: idle client CPU %.2f %% of one core\n", (b - a) / hz / (e - s) * 100 }'
fi
procs() { ps -eo pid=,ppid=,pgid=,sid=,args= | awk -v s="$run" -v c="${client:-0}" '$4 == s || $4 == c || $1 == c'; }
kill -INT -- "-$run" 2>/dev/null || true
for _ in $(seq 100); do [ -z "$(procs)" ] && break; sleep 0.1; done
if [ -n "$(procs)" ]; then
  echo "window test: left behind:"; procs; status=1
  procs | awk '{print $1}' | xargs -r kill -KILL 2>/dev/null || true
fi
wait "$run" 2>/dev/null || true
kill "$xvfb" 2>/dev/null || true
wait "$xvfb" 2>/dev/null || true
[ $status -eq 0 ] && echo "window test: ok"
exit $status
