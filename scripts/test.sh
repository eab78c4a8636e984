#!/usr/bin/env bash
# Installs what is missing, checks the folders' layering, builds with warnings as errors, checks the
# formatting and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
python3 scripts/check-layers.py
bash scripts/build.sh -DQX_WERROR=ON -DQX_BUILD_TESTS=ON
bash scripts/check-format.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2 --timeout 600
