#!/usr/bin/env bash
# Fails when a C++ file does not follow .clang-format; `scripts/check-format.sh --fix` formats them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(find . -path './build*' -prune -o -path ./.git -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print | sort)
if [[ "${1:-}" == "--fix" ]]; then
    clang-format -i "${files[@]}"
    exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/rubrello-format.$$; then
    head -20 /tmp/rubrello-format.$$ >&2
    rm -f /tmp/rubrello-format.$$
    echo "Some files do not follow .clang-format: run scripts/check-format.sh --fix" >&2
    exit 1
fi
rm -f /tmp/rubrello-format.$$
echo "format: every file follows .clang-format"
