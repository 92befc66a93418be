#!/usr/bin/env bash
# Installs what is missing, builds the program and runs every test, the end-to-end ones under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-packages.sh"
# The code follows .clang-format before anything is built.
"$root/scripts/check-format.sh"
"$root/scripts/build.sh" "$root/build" -DRUBRELLO_WERROR=ON
ctest --test-dir "$root/build" --output-on-failure -j2
# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz targets
# for a bounded time each.
"$root/scripts/sanitizers.sh" "$root/build-asan"
"$root/scripts/fuzz.sh" "$root/build-fuzz"
