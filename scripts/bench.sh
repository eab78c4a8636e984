#!/usr/bin/env bash
# Builds the benchmark programs and prints one table of every figure: this program against its reference,
# measured side by side. --tsv prints the same table as tab-separated values.
set -euo pipefail
cd "$(dirname "$0")/.."
tsv=0
[ "${1:-}" = "--tsv" ] && tsv=1
bash scripts/setup.sh >&2
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQX_BUILD_BENCH=ON >&2
cmake --build build -j2 --target qxbench_all >&2
export QT_QPA_PLATFORM=offscreen
rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
for prog in build/bin/qxbench_*; do
  [ -x "$prog" ] || continue
  echo "running $(basename "$prog")" >&2
  "$prog" | { grep '^ROW' || true; } | cut -f2- >>"$rows"
done
header=$'figure\tprogram\treference\tratio_min\tratio_median\tratio_max\ttarget'
if [ $tsv -eq 1 ]; then
  printf '%s\n' "$header"
  cat "$rows"
else
  { printf '%s\n' "$header"; cat "$rows"; } | column -t -s $'\t'
fi
