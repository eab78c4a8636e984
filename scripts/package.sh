#!/usr/bin/env bash
# Installs what is missing, builds a release of QX-Logging into build-package/ and makes the Debian package
# build-package/qxlogging_<version>_<architecture>.deb from it. Install it with
#   sudo apt install ./build-package/qxlogging_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DQX_BUILD_TESTS=OFF -DQX_BUILD_BENCH=OFF
cmake --build build-package -j2
(cd build-package && cpack -G DEB)
ls -1 build-package/qxlogging_*.deb
