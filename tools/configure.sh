#!/usr/bin/env bash
# Configures a build folder of this checkout: configure.sh <build dir> <cmake options...> (the
# compilers as CC and CXX name them). CMake learns the compiler's own library folders from the
# link line the compiler prints, which names the compiler's temporary files: a quote in TMPDIR
# breaks that reading, and then not one library is found. So the compiler's temporary files go to
# a folder of the build's own while CMake configures.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
mkdir -p "$dir/configure-tmp"
trap 'rm -rf "$dir/configure-tmp"' EXIT
TMPDIR=$(cd "$dir/configure-tmp" && pwd) cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
