#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (FUZZ_SECONDS, default 10).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-10}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXL_FUZZ=ON -DXL_BENCH=OFF >/dev/null
targets=()
for src in fuzz/*.cpp; do targets+=("fuzz_$(basename "$src" .cpp)"); done
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"
status=0
for exe in build-fuzz/fuzz/fuzz_*; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe" | sed 's/^fuzz_//')
  corpus=fuzz/corpus/$name
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  if "$exe" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 "$work" >"$work.log" 2>&1; then
    echo "fuzz $name: ok ($seconds s)"
  else
    echo "fuzz $name: FAILED"; tail -40 "$work.log"; status=1
  fi
  rm -rf "$work" "$work.log"
done
exit $status
