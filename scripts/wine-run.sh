#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix: CTest's emulator for
# the Windows test programs, and usable by hand ("scripts/wine-run.sh x.exe").
# Makes the prefix when it is missing, and runs on a private virtual display of
# its own when $DISPLAY is not a reachable X display. The exit code is the
# program's.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

qv_wine_prefix || exit 1
if ! qv_display_works; then
  qv_start_xvfb || exit 1
  trap qv_stop_xvfb EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
fi
qv_wine_services
"$WINELOADER" "$@"
