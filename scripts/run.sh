#!/usr/bin/env bash
# Sets up what is missing, builds qvavad.exe and starts it under Wine: the
# 32-bit product where this machine runs 32-bit programs, otherwise its 64-bit
# twin, which Wine runs on every Linux machine. It runs on your X display, or on
# a virtual one when there is none, with its own Wine prefix
# (build/wineprefix32-desktop or build/wineprefix-desktop), so a test run never
# disturbs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/wine-env.sh
if qv_wine32_available; then
  preset=win32 kind="the 32-bit qvavad.exe"
  qv_use_wine32
else
  preset=win64 kind="the 64-bit qvavad.exe ($QV_NO_32BIT)"
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)" --target qvavad
qv_use_desktop_prefix
# Ending this script (Ctrl+C included) ends the program and the display it got.
qv_pid=
cleanup() {
  if [ -n "$qv_pid" ]; then kill "$qv_pid" 2>/dev/null || true; fi
  qv_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
if ! qv_display_works; then
  qv_start_xvfb
  echo "No X display found: running on the virtual display $DISPLAY."
fi
qv_wine_prefix
# The program keeps its clip files beside the exe, so it runs from its own
# folder. The new exe replaces the old by renaming: a copy over an exe that is
# still running would change it under the running program.
mkdir -p build/run
cp "build/$preset/app/qvavad.exe" build/run/qvavad.exe.new
mv -f build/run/qvavad.exe.new build/run/qvavad.exe
cd build/run
echo "Quorvel Vavad is running, $kind (its files are in $(pwd)); quit it from its tray menu."
"$WINELOADER" ./qvavad.exe &
qv_pid=$!
rc=0
wait "$qv_pid" || rc=$?
qv_pid=
exit "$rc"
