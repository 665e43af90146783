#!/usr/bin/env bash
# Installs, builds and starts the program on the embedded demo database
# (created in build/datos on the first run).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"

export RP_PANELCTA_DATOS="${RP_PANELCTA_DATOS:-$top/build/datos}"
export QTWEBENGINE_DISABLE_SANDBOX=1
if [ ! -e "$RP_PANELCTA_DATOS/DEMO.db" ]; then
  "$top/build/tools/make_demo_db" DEMO
fi
if [ $# -eq 0 ]; then
  set -- "@Server=(embebido); @DbName=DEMO; @Usuario=ADMIN; @Password=ADMIN"
fi
"$top/build/app/RP_PANELCTA" "$@"
