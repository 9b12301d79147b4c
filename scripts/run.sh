#!/usr/bin/env bash
# Sets up what is missing, builds qvavad.exe and starts it under Wine (the
# 64-bit build, which Wine runs on every Linux machine; the 32-bit product is
# built by the win32 preset).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/wine-env.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target qvavad
qv_wine_prefix
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  qv_start_xvfb
  echo "No X display found: running on the virtual display $DISPLAY."
  trap '[ -n "${QV_XVFB_PID:-}" ] && kill "$QV_XVFB_PID" 2>/dev/null || true' EXIT
fi
# The program keeps its clip files beside the exe, so it runs from its own folder.
mkdir -p build/run
cp build/win64/app/qvavad.exe build/run/
cd build/run
echo "Quorvel Vavad is running (its files are in $(pwd)); quit it from its tray menu."
exec "$WINELOADER" ./qvavad.exe
