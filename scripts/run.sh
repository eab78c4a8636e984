#!/usr/bin/env bash
# Installs what is missing, builds and starts QX-Logging.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec build/bin/qxlogging "$@"
