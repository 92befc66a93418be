#!/usr/bin/env bash
# Builds the program and the benchmark programs in Release, generates the contacts once and measures
# every size. Usage: bench/run.sh [--sizes 1k,10k,100k,1M] [--reps N]
#                    bench/run.sh --smoke --build-dir DIR --data-dir DIR   (CI: 1k once, no build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build="$root/build-bench"
smoke=0
args=()
while [ $# -gt 0 ]; do
    case "$1" in
    --smoke) smoke=1 ;;
    --build-dir) build=$2; shift ;;
    *) args+=("$1") ;;
    esac
    shift
done

if [ "$smoke" = 1 ]; then
    exec /usr/bin/python3 "$here/run_bench.py" --build-dir "$build" --sizes 1k --reps 1 \
        --json "$build/bench/smoke-results.json" "${args[@]}"
fi

command -v sqlite3 >/dev/null || echo "sqlite3 is missing (apt-get install sqlite3): no sqlite3 floors" >&2
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build "$build" -j2 --target bench_driver qt_floor rubrello-cli
echo "load: $(uptime)" >&2
/usr/bin/python3 "$here/run_bench.py" --build-dir "$build" "${args[@]}"
echo "load: $(uptime)" >&2
