#!/usr/bin/env bash
# Walks the explorer of the whole client (tests/xueliu/ExplorerTest.cpp) again at a seed it
# printed with a fault, or over fresh seeds for a while:
#   tools/explore.sh --seed N [--steps M]     one walk (150 steps by default)
#   tools/explore.sh --minutes T [--steps M]  fresh seeds one after another for T minutes; each
#                                             walk's seed and faults go to build/artifacts/explore-runs.txt
# Builds what the walk needs first (nothing when it is up to date); XL_EXPLORE_BUILD names the build
# folder (build). Exits 1 when a walk found a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${XL_EXPLORE_BUILD:-build}
seed="" steps=150 minutes=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seed) seed=$2; shift 2 ;;
    --steps) steps=$2; shift 2 ;;
    --minutes) minutes=$2; shift 2 ;;
    *) echo "usage: $0 --seed N [--steps M] | --minutes T [--steps M]" >&2; exit 2 ;;
  esac
done
[ -n "$seed$minutes" ] || { echo "usage: $0 --seed N [--steps M] | --minutes T [--steps M]" >&2; exit 2; }
cmake --build "$build" -j4 --target xueliu_tests xueliu_checked skins >/dev/null

walk() {  # walk <seed>
  XL_EXPLORE_SEED=$1 XL_EXPLORE_STEPS=$steps "$build/tests/xueliu_tests" \
    --gtest_filter='Screens/Explore.*' --gtest_brief=1
}

if [ -n "$seed" ]; then
  walk "$seed"
  exit
fi
log=$build/artifacts/explore-runs.txt
mkdir -p "$build/artifacts"
end=$(( $(date +%s) + minutes * 60 ))
status=0
while [ "$(date +%s)" -lt "$end" ]; do
  s=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
  if out=$(walk "$s" 2>&1); then
    echo "seed $s: no fault" | tee -a "$log"
  else
    status=1
    { echo "seed $s: FAULT"; grep -E '^step [0-9]+: ' <<<"$out" | sort -u; } | tee -a "$log"
  fi
done
exit $status
