#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (FUZZ_SECONDS, default
# 10) from its corpus fuzz/corpus/<target>/ and the inputs that once failed,
# fuzz/regressions/<target>/. The corpus in the tree is not changed unless FUZZ_GROW=1: then
# what a run finds that covers new code is merged into it. FUZZ_TARGETS="a b" runs only those.
# An input that fails is kept under build-fuzz/artifacts/<target>/; once the fault is mended,
# move it to fuzz/regressions/<target>/, where every later run (and ctest -L fuzz) replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-10}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ bash tools/configure.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DXL_FUZZ=ON -DXL_BENCH=OFF \
  "${launcher[@]}"
names=()
if [ -n "${FUZZ_TARGETS:-}" ]; then
  read -r -a names <<<"$FUZZ_TARGETS"
else
  for src in fuzz/*.cpp; do names+=("$(basename "$src" .cpp)"); done
fi
cmake --build build-fuzz -j "$(nproc)" --target "${names[@]/#/fuzz_}"
status=0
for name in "${names[@]}"; do
  exe=build-fuzz/fuzz/fuzz_$name
  corpus=fuzz/corpus/$name
  regressions=fuzz/regressions/$name
  artifacts=build-fuzz/artifacts/$name/
  mkdir -p "$artifacts"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  dirs=("$work")
  [ -d "$regressions" ] && dirs+=("$regressions")
  if "$exe" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 -artifact_prefix="$artifacts" \
      "${dirs[@]}" >"$work.log" 2>&1; then
    echo "fuzz $name: ok ($seconds s)"
    if [ -n "${FUZZ_GROW:-}" ]; then
      mkdir -p "$corpus"
      "$exe" -merge=1 -rss_limit_mb=2048 "$corpus" "$work" >"$work.log" 2>&1
      echo "fuzz $name: corpus now $(find "$corpus" -type f | wc -l) inputs"
    fi
  else
    echo "fuzz $name: FAILED (input kept in $artifacts)"; tail -40 "$work.log"; status=1
  fi
  rm -rf "$work" "$work.log"
done
exit $status
