#!/usr/bin/env bash
# Sets up the machine, builds the client with its skins and plays at a table on this machine:
# the game-server stand-in with three robots on a loopback port it picks itself (so that runs side
# by side never take the same), and the hall stand-in, which starts the client. What it starts
# ends with it, even when it is killed with SIGKILL (a parent-death signal). Its sockets have
# abstract names, not paths: a TMPDIR of any length holds its folders. When one of its programs
# ends before its time, it says which, how (exit status or signal) and its log's last lines.
#   With a display: the real window; play until it is closed (or Ctrl-C).
#   Without one (or with --headless): one hand under Xvfb with the own chair played by the
#   server, screenshots after the deal, in the middle and at the result, exit 0 when the result
#   arrived and the client ended cleanly.
# Environment: XL_RUN_BUILD (build folder, default build-release), XL_SKIP_SETUP=1 (no package
# check), XL_ARTIFACTS (where screenshots go, default <build>/artifacts), XL_RUN_TIMEOUT (seconds
# a headless hand may take, default 240), XL_RUN_LOGS (the logs' folder, default a new temporary one),
# XL_RUN_SCREEN (the headless screen's size, default 1280x800; the window fills it).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${XL_RUN_BUILD:-build-release}
case "$build" in /*) ;; *) build=$root/$build ;; esac
mode=auto
for arg in "$@"; do
  case "$arg" in
    --headless) mode=headless ;;
    *) echo "run: unknown argument $arg" >&2; exit 2 ;;
  esac
done

say() { echo "run: $*" >&2; }

[ -n "${XL_SKIP_SETUP:-}" ] || bash tools/setup/install.sh
# Runs side by side share the build folder: one builds, the others wait for it.
mkdir -p "$build"
exec 9>"$build/.run-build.lock"
flock 9
if [ ! -f "$build/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  bash tools/configure.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXL_BENCH=OFF "${launcher[@]}"
fi
# The compile cache names this checkout's files relative to it, as tools/test.sh does.
CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1 cmake --build "$build" -j "$(nproc)" --target xueliu skins
exec 9>&-
# A sanitized build (XL_RUN_BUILD=build-tsan, build-asan) reads the suppressions the tests give it
# for system libraries; options already set still win, coming later.
export TSAN_OPTIONS="suppressions=$root/tools/tsan-suppressions.txt:second_deadlock_stack=1${TSAN_OPTIONS:+:$TSAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$root/tools/lsan-suppressions.txt:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
if [ "$mode" = auto ]; then
  mode=headless
  if [ -n "${WAYLAND_DISPLAY:-}" ] || { [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; }; then
    mode=window
  fi
fi

if [ -n "${XL_RUN_LOGS:-}" ]; then
  logs=$XL_RUN_LOGS
  rm -rf "$logs" && mkdir -p "$logs"
else
  logs=$(mktemp -d "${TMPDIR:-/tmp}/xl-run-XXXXXX")
fi
artifacts=${XL_ARTIFACTS:-$build/artifacts}
mkdir -p "$artifacts"
server_pid=""
hall_pid=""
xvfb_pid=""
pauser_pid=""

# The client's pid from the hall's record (empty before its start): the client leads a process
# group of its own, which is ended whole, so that nothing it forked outlives the run.
client_group() {
  /usr/bin/python3 -c 'import json,sys
for l in open(sys.argv[1]):
    e = json.loads(l)
    if e.get("event") == "client-started": print(e["pid"]); break' "$logs/hall.jsonl" 2>/dev/null || true
}

# Runs a program in place of the calling (background) subshell, sent SIGTERM when this script
# ends however it ends: a SIGKILL runs no trap. The parent-death signal is set by python3 (which
# the stand-ins need anyway) and kept across the exec; a script already gone by then ends it at
# once. The hall ends the client it started on SIGTERM.
tied() {
  exec /usr/bin/python3 -c 'import ctypes, os, signal, sys
ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
if os.getppid() != int(sys.argv[1]):
    sys.exit(1)
os.execvp(sys.argv[2], sys.argv[2:])' "$$" "$@"
}

# Why a program of the run ended, for the message that it did: its exit status or the signal
# that ended it, and the last lines of its log.
ended() {  # ended <name> <pid> <log>
  local status=0
  kill -0 "$2" 2>/dev/null && return 0
  wait "$2" 2>/dev/null || status=$?
  if [ "$status" -gt 128 ]; then
    say "the $1 ended by signal $(kill -l $((status - 128)) 2>/dev/null || echo $((status - 128)))"
  else
    say "the $1 ended with status $status"
  fi
  last_lines "$3"
}
last_lines() {
  [ ! -s "$1" ] || { say "the last lines of $1:"; tail -n 8 "$1" | sed 's/^/    /' >&2; }
}

# Names the run's programs that have ended (after a wait that failed); the hall ends with its
# client, whose end it records.
which_ended() {
  [ -z "$xvfb_pid" ] || ended "X server (Xvfb)" "$xvfb_pid" "$logs/xvfb.log"
  [ -z "$server_pid" ] || ended "game-server stand-in" "$server_pid" "$logs/server.log"
  [ -z "$hall_pid" ] || ended "hall stand-in" "$hall_pid" "$logs/hall.log"
  local client
  client=$(/usr/bin/python3 -c 'import json, signal, sys
for l in open(sys.argv[1]):
    e = json.loads(l)
    if e.get("event") == "client-exit":
        s = e["status"]
        print(f"with status {s}" if s >= 0 else f"by signal {signal.Signals(-s).name}")' "$logs/hall.jsonl" 2>/dev/null || true)
  [ -z "$client" ] || { say "the client ended $client"; last_lines "$logs/run/game/GameRun.log"; }
}

# Stops whatever is still running, in the order that lets each end cleanly.
cleanup() {
  local status=$?
  trap - EXIT INT TERM HUP
  for pid in $hall_pid $server_pid; do
    kill -TERM "$pid" 2>/dev/null || true
  done
  [ -z "$pauser_pid" ] || kill -TERM "$pauser_pid" 2>/dev/null || true
  for pid in $hall_pid $server_pid; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  local client
  client=$(client_group)
  [ -z "$client" ] || kill -KILL -- "-$client" 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  say "logs in $logs"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
trap 'exit 129' HUP

# Waits until the file has a line matching the pattern, while the processes live; false on
# time-out or when one of them ends first.
wait_for_line() {  # file pattern seconds pid...
  local file=$1 pattern=$2 deadline=$((SECONDS + $3)) pid
  shift 3
  while [ $SECONDS -lt "$deadline" ]; do
    grep -qE "$pattern" "$file" 2>/dev/null && return 0
    for pid in "$@"; do
      kill -0 "$pid" 2>/dev/null || { grep -qE "$pattern" "$file" 2>/dev/null; return; }
    done
    sleep 0.1
  done
  return 1
}

# Without a display: a private X server on a display number it picks itself (-displayfd), so that
# other X servers on this machine are never shared or taken.
if [ "$mode" = headless ]; then
  say "no display: one hand under Xvfb"
  tied Xvfb -displayfd 3 -screen 0 "${XL_RUN_SCREEN:-1280x800}x24" -nolisten tcp -noreset 3>"$logs/display" 2>"$logs/xvfb.log" &
  xvfb_pid=$!
  wait_for_line "$logs/display" "^[0-9]+" 10 "$xvfb_pid" || { say "Xvfb did not start"; which_ended; exit 1; }
  export DISPLAY=":$(head -1 "$logs/display")"
  unset WAYLAND_DISPLAY
fi

# The stand-in binds a port the system picks (port 0) and logs it; a port checked free here could
# be taken by another run before the stand-in binds it.
control="@xl-run-$$-$(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')"
server_args=(--table tools/tables/default.json --port 0 --play --verbose --control "$control")
[ "$mode" = window ] || server_args+=(--autoplay-human --wait-for-client --think-ms "${XL_RUN_THINK_MS:-150}" --hands 1)
tied /usr/bin/python3 tools/server/game_server.py "${server_args[@]}" >"$logs/server.log" 2>&1 &
server_pid=$!
wait_for_line "$logs/server.log" "listening on 127.0.0.1:[0-9]+" 10 "$server_pid" ||
  { say "the game-server stand-in did not start"; which_ended; exit 1; }
port=$(grep -oE "listening on 127.0.0.1:[0-9]+" "$logs/server.log" | head -1 | cut -d: -f2)
# The table file handed to the hall, with the server's field set to that port.
/usr/bin/python3 -c 'import json, sys
with open(sys.argv[1], encoding="utf-8") as f:
    table = json.load(f)
table["server"]["port"] = int(sys.argv[2])
with open(sys.argv[3], "w", encoding="utf-8") as f:
    json.dump(table, f, ensure_ascii=False, indent=2)' tools/tables/default.json "$port" "$logs/table.json"
# Without a session bus's address the display library's start forks a launcher of one for each
# client; an address that fails at once needs none.
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-disabled:}

hall_args=("$build/xueliu" --table "$logs/table.json" --run-dir "$logs/run" --record "$logs/hall.jsonl"
           --follow-room-moves)
if [ "$mode" = window ]; then
  say "server on 127.0.0.1:$port; close the window (or Ctrl-C) to stop"
  tied /usr/bin/python3 tools/hall/hall.py "${hall_args[@]}" >"$logs/hall.log" 2>&1 &
  hall_pid=$!
  # Until the window is closed; a server that goes away ends the run too.
  while kill -0 "$hall_pid" 2>/dev/null && kill -0 "$server_pid" 2>/dev/null; do sleep 0.5; done
  kill -0 "$server_pid" 2>/dev/null || say "the game-server stand-in ended (see $logs/server.log)"
  kill -TERM "$hall_pid" 2>/dev/null || true
  status=0
  wait "$hall_pid" || status=$?
  hall_pid=""
  [ "$status" -eq 0 ] || say "the client ended with status $status"
  exit "$status"
fi

# Headless: one auto-played hand.
export SDL_AUDIODRIVER=dummy
limit=${XL_RUN_TIMEOUT:-240}
# The robots answer the deal within their think time while the client still rolls its dice and
# deals: the table is held from the server's deal line until the client has laid the hands out,
# so that the screenshot "after the deal" shows the dealt table.
tied /usr/bin/python3 - "$root/tools/py" "$logs/server.log" "$control" "$limit" <<'EOF' &
import re, sys, time
sys.path.insert(0, sys.argv[1])
import xllocal
log, control, seconds = sys.argv[2], sys.argv[3], float(sys.argv[4])
deadline = time.monotonic() + seconds
while time.monotonic() < deadline:
    try:
        with open(log, errors="replace") as f:
            if re.search(r"hand \d+: dealt", f.read()):
                xllocal.command(control, {"op": "pause"})
                break
    except (OSError, ValueError):
        pass
    time.sleep(0.01)
EOF
pauser_pid=$!
tied /usr/bin/python3 tools/hall/hall.py "${hall_args[@]}" >"$logs/hall.log" 2>&1 &
hall_pid=$!
shots=()
for phase in dealt middle result; do
  if [ "$phase" = dealt ]; then
    # The server's deal line comes before the client's dice and deal animation: wait for the
    # client's own line once it has laid the hands out, then for the hand's sort (a second).
    if ! wait_for_line "$logs/run/game/GameRun.log" "MainGame: the deal is laid out" "$limit" "$hall_pid" "$server_pid"; then
      say "the client never laid out the deal (see $logs/run/game/GameRun.log, $logs/server.log)"
      which_ended
      exit 1
    fi
    wait "$pauser_pid" 2>/dev/null || true
    pauser_pid=""
    sleep 1.2
  else
    if ! wait_for_line "$logs/server.log" "hand [0-9]+: $phase" "$limit" "$hall_pid" "$server_pid"; then
      say "no '$phase' from the server (see $logs/server.log, $logs/hall.log)"
      which_ended
      exit 1
    fi
    # The line comes with the notification; the client draws it a moment later, and a screen
    # that is still one colour has not been drawn at all.
    sleep 0.5
  fi
  # Taken in the run's own folder and moved into place whole: a run beside it writes the same names.
  shot="$artifacts/run-$phase.png" mine="$logs/run-$phase.png"
  for _ in $(seq 40); do
    import -display "$DISPLAY" -window root "$mine"
    [ "$(identify -format %k "$mine" 2>/dev/null || echo 0)" -gt 8 ] && break
    sleep 0.25
  done
  cp "$mine" "$shot.$$" && mv -f "$shot.$$" "$shot"
  { echo "== $phase"; for w in $(xdotool search --name . 2>/dev/null); do
      echo "$w $(xdotool getwindowname "$w" 2>/dev/null) $(xdotool getwindowgeometry "$w" 2>/dev/null | tr '\n' ' ')"
    done; } >>"$logs/windows.txt"
  shots+=("$shot")
  say "screenshot $shot"
  if [ "$phase" = dealt ]; then
    # A chat line typed into the side panel's input line (at the bottom right of the window) goes
    # to the server and comes back to the table's chat box; the server's log shows it.
    window=$(xdotool search --onlyvisible --name . 2>/dev/null | tail -1 || true)
    if [ -n "$window" ] && eval "$(xdotool getwindowgeometry --shell "$window")"; then
      xdotool mousemove --window "$window" $((WIDTH - 160)) $((HEIGHT - 17)) click 1
      xdotool type --delay 20 "hello"
      xdotool key Return
    fi
    /usr/bin/python3 -c 'import sys
sys.path.insert(0, sys.argv[1])
import xllocal
xllocal.command(sys.argv[2], {"op": "resume"})' "$root/tools/py" "$control"
  fi
done

# Close the client as the player would (its whole group) and wait for the hall's report of its end.
client_pid=$(client_group)
[ -z "$client_pid" ] || kill -TERM -- "-$client_pid" 2>/dev/null || true
status=0
wait "$hall_pid" || status=$?
hall_pid=""
cp "$logs/server.log" "$logs/hall.jsonl" "$artifacts/" 2>/dev/null || true
if [ "$status" -ne 0 ]; then
  say "the client ended with status $status"
  exit 1
fi
say "the hand ended and the client closed cleanly"
