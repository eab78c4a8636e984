#!/usr/bin/env bash
# Builds the benchmark programs and prints one table of every figure: this program against its reference,
# measured side by side. --tsv prints the same table as tab-separated values.
set -euo pipefail
cd "$(dirname "$0")/.."
tsv=0
[ "${1:-}" = "--tsv" ] && tsv=1
bash scripts/setup.sh >&2
# Start-up is also timed on an X display: without one, the whole run gets a virtual display.
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a "$PWD/scripts/bench.sh" "$@"
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQX_BUILD_BENCH=ON >&2
cmake --build build -j2 --target qxbench_all >&2
export QT_QPA_PLATFORM=offscreen
rows=$(mktemp)
out=$(mktemp)
trap 'rm -f "$rows" "$out"' EXIT
status=0
for prog in build/bin/qxbench_*; do
  [ -x "$prog" ] || continue
  echo "running $(basename "$prog")" >&2
  # A program that fails is named and the others still run; the script then ends with an error.
  if ! "$prog" >"$out"; then
    echo "$(basename "$prog") failed" >&2
    status=1
  fi
  { grep '^ROW' "$out" || true; } | cut -f2- >>"$rows"
done
header=$'figure\tprogram\treference\tratio_min\tratio_median\tratio_max\ttarget'
if [ $tsv -eq 1 ]; then
  printf '%s\n' "$header"
  cat "$rows"
else
  # Aligned columns without depending on column(1), which a fresh machine may lack.
  { printf '%s\n' "$header"; cat "$rows"; } | awk -F '\t' '
    { for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) } }
    NF > cols { cols = NF }
    END { for (r = 1; r <= NR; r++) { line = ""
            for (i = 1; i <= cols; i++) line = line (i < cols ? sprintf("%-" width[i] "s  ", cell[r, i]) : cell[r, i])
            print line } }'
fi
exit $status
