#!/usr/bin/env bash
# Installs, builds and runs every test headless.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
cd "$top/build"
ctest --output-on-failure --no-tests=error --parallel "${RP_PANELCTA_JOBS:-$(nproc)}" "$@"
