#!/usr/bin/env bash
# Configures and builds the program into build/ (or the directory given as $1).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
shift || true

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
