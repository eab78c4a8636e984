#!/usr/bin/env bash
# Runs one libFuzzer harness for a while, niced, on a working corpus that starts from the kept seeds.
#   scripts/fuzz.sh <harness> <corpus folder> [seconds=600] [build dir=build-fuzz]
# Build first: CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQX_FUZZ=ON -DQX_BUILD_TESTS=ON
#              cmake --build build-fuzz -j2 --target fuzz_<harness>
# Findings land in <build dir>/fuzz/<harness>/; a minimised finding that shows a real fault belongs in
# tests/fuzz/corpus/<corpus folder>/ once fixed, so the ordinary tests replay it.
set -euo pipefail
harness=$1
corpus=$2
seconds=${3:-600}
build=${4:-build-fuzz}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/$build/fuzz/$harness
mkdir -p "$work/corpus" "$work/findings"
dict=()
[[ -f $root/tests/fuzz/$harness.dict ]] && dict=(-dict="$root/tests/fuzz/$harness.dict")
exec nice -n 10 "$root/$build/bin/fuzz_$harness" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -max_len=8192 -print_final_stats=1 -artifact_prefix="$work/findings/" "${dict[@]}" \
    "$work/corpus" "$root/tests/fuzz/corpus/$corpus"
