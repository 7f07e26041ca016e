#!/usr/bin/env bash
# Sets up the machine, builds the client and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup/install.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target xueliu
exec ./build/xueliu "$@"
