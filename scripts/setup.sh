#!/usr/bin/env bash
# Installs the Debian packages the program needs, then configures and builds it in build/.
# Safe to run again: apt-get and CMake only do what is missing.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-webengine-dev qt6-charts-dev libqt6printsupport6 libqt6svg6
  libgl1-mesa-dev libxkbcommon-dev fonts-dejavu-core
  libsqlite3-dev sqlite3
  unixodbc unixodbc-dev tdsodbc libsqliteodbc
  googletest libgtest-dev libgmock-dev
  xvfb xauth poppler-utils
  libxlsxwriter-dev unzip
)

if [ "${1:-}" = "--list-packages" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$top/build" --parallel "$(nproc)"
