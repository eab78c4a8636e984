#!/usr/bin/env bash
# Installs the Debian packages QX-Logging needs to build, run and test, when they are missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config python3
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-l10n-tools
  libqcustomplot-dev
  libsqlitecpp-dev libsqlite3-dev sqlite3
  libsimpleini-dev
  libtelnet-dev
  libhpdf-dev poppler-utils
  libgtest-dev libgmock-dev googletest
  libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core
  clang clang-format libclang-rt-14-dev
  xvfb xauth
  desktop-file-utils appstream dpkg-dev file lintian man-db
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
