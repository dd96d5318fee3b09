#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
#   tools/fuzz.sh [SECONDS_EACH]   (default 30)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZIMO_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-30}
"$root/tools/install-deps.sh"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja -DZIMO_FUZZ=ON -DZIMO_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_swf_loader fuzz_interpreter
for target in fuzz_swf_loader fuzz_interpreter; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    echo "== $target, ${seconds}s"
    "$build/bin/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 "$corpus" 2>&1 |
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY)' || true
    # libFuzzer's exit status says whether it found a crash.
    [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "$target found a failing input"; exit 1; }
done
