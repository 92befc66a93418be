#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or $1) and runs each for a bounded time
# (FUZZ_SECONDS, 20 by default) from its committed seed corpus. A crash leaves the input in
# build-fuzz/artifacts/ and fails the run: copy it into fuzz/corpus/<target>/ as a regression case.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-fuzz"}
seconds=${FUZZ_SECONDS:-20}

instrument="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_CXX_COMPILER=clang++ -DRUBRELLO_FUZZ=ON \
    -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS=$instrument" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
targets=()
for seeds in "$root"/fuzz/corpus/*/; do
    targets+=("fuzz_$(basename "$seeds")")
done
# Only the targets and the modules they use: the program itself is not needed here.
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen

mkdir -p "$build/artifacts"
failed=()
for seeds in "$root"/fuzz/corpus/*/; do
    name=$(basename "$seeds")
    # New inputs go to a scratch corpus, so the committed seeds stay small and reviewed.
    scratch="$build/corpus/$name"
    mkdir -p "$scratch"
    echo "fuzz_$name: ${seconds}s"
    if ! "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
        "$scratch" "$seeds" > "$build/fuzz_$name.log" 2>&1; then
        tail -n 60 "$build/fuzz_$name.log"
        failed+=("$name")
    else
        grep -E 'DONE' "$build/fuzz_$name.log" | tail -n 1 || true
    fi
done

if ((${#failed[@]} > 0)); then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $build/artifacts)"
    exit 1
fi
echo "fuzzing: no faults"
