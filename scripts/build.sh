#!/usr/bin/env bash
# Configures and builds the program into build/ (or the directory given as $1); further arguments
# go to cmake's configure step. RUBRELLO_BUILD_TARGETS, when set, names the only targets to build
# (blank-separated); by default everything is built, the tests included.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
shift || true

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
targets=()
if [[ -n "${RUBRELLO_BUILD_TARGETS:-}" ]]; then
    read -r -a names <<<"$RUBRELLO_BUILD_TARGETS"
    targets=(--target "${names[@]}")
fi
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
