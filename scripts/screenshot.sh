#!/usr/bin/env bash
# Pictures of the logging tab in the middle of a session, in English and in Danish, and of the options
# dialog, the about box, the splash and the legal window, for the documentation. Runs the already built
# tools build/bin/qxlogging-shot and build/bin/qxlogging-dialog-shot on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=build/bin/qxlogging-shot
if [ ! -x "$tool" ]; then
  echo "Build first: $tool is missing." >&2
  exit 1
fi
mkdir -p docs
xvfb-run -a -s "-screen 0 1600x1000x24" "$tool" 0 docs/screenshot-logging-en.png
xvfb-run -a -s "-screen 0 1600x1000x24" "$tool" 1 docs/screenshot-logging-da.png
xvfb-run -a -s "-screen 0 1600x1000x24" build/bin/qxlogging-dialog-shot docs
echo "Wrote docs/screenshot-logging-en.png, docs/screenshot-logging-da.png and the dialog pictures"

# Pages 1 and 2 of the PDF level report of a sample session.
report=build/bin/qxreport-sample
if [ -x "$report" ]; then
  tmp=$(mktemp -d)
  "$report" "$tmp/report.pdf" 0
  pdftoppm -r 110 -png -f 1 -l 2 "$tmp/report.pdf" "$tmp/page"
  cp "$tmp/page-1.png" docs/report-page-1.png
  cp "$tmp/page-2.png" docs/report-page-2.png
  rm -rf "$tmp"
  echo "Wrote docs/report-page-1.png and docs/report-page-2.png"
fi
