#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (or $1) and runs the suite there; any sanitizer report fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-asan"}

# -O1 keeps the instrumented suite quick without hiding the stack traces.
"$root/scripts/build.sh" "$build" -DRUBRELLO_WERROR=ON -DRUBRELLO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1"

# Leak reports are left out: Qt's plugin loader and font caches keep memory until exit on purpose.
# halt_on_error makes the first report fail the test instead of scrolling past. No strict string
# checks: libxkbcommon-x11 hands strndup buffers without a NUL, which is within strndup's contract.
export ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j2 --timeout 900
