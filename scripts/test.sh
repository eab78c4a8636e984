#!/usr/bin/env bash
# Installs what is missing, checks the folders' layering, builds with warnings as errors, checks the
# formatting and runs every test. With clang present it also builds the fuzz harnesses into build-fuzz/
# (building only: scripts/fuzz.sh runs one of them for a set time).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
python3 scripts/check-layers.py
bash scripts/build.sh -DQX_WERROR=ON -DQX_BUILD_TESTS=ON
bash scripts/check-format.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2 --timeout 600

if command -v clang++ >/dev/null 2>&1; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQX_FUZZ=ON -DQX_BUILD_TESTS=ON
  cmake --build build-fuzz -j2 --target fuzz_harnesses
fi
