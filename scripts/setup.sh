#!/usr/bin/env bash
# Installs the Debian packages the program needs, then configures and builds it in build/.
# Safe to run again: apt-get and CMake only do what is missing.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-webengine-dev qt6-charts-dev libqt6printsupport6 libqt6svg6
  qt6-translations-l10n
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
  if [ "$(id -u)" -eq 0 ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  elif command -v sudo >/dev/null; then
    # sudo drops the caller's environment, so the variable goes inside the command.
    sudo env DEBIAN_FRONTEND=noninteractive apt-get update
    sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
      "${missing[@]}"
  else
    echo "setup.sh: these packages are missing and installing them needs root or sudo:" >&2
    echo "  ${missing[*]}" >&2
    echo "Install them as root (apt-get install ${missing[*]}) and run setup.sh again." >&2
    exit 2
  fi
fi

jobs="${RP_PANELCTA_JOBS:-$(nproc)}"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$top/build" --parallel "$jobs"
