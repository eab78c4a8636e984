#!/usr/bin/env bash
# Configures and builds QX-Logging into build/ (binaries in build/bin/). Extra arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build -j2
