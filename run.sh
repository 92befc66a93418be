#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-packages.sh"
# Only the program and its dialer: the tests are ./test.sh's, and would keep a first start waiting
# for minutes. Ninja's [n/m] lines show how far the build has got.
echo "Building Rubrello in $root/build (the first time takes a few minutes)..."
RUBRELLO_BUILD_TARGETS="rubrello rubrello-dialer" "$root/scripts/build.sh" "$root/build"
exec "$root/build/rubrello" "$@"
