#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix: CTest's emulator for
# the Windows test programs, and usable by hand ("scripts/wine-run.sh x.exe").
# A 32-bit exe runs under 32-bit Wine in its own prefix (build/wineprefix32).
# Makes the prefix when it is missing, and runs on a private virtual display of
# its own when $DISPLAY is not a reachable X display. The exit code is the
# program's.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ "$(qv_pe_bits "${1:-}")" = 32 ] && qv_use_wine32

qv_wine_prefix || exit 1
if ! qv_display_works; then
  qv_start_xvfb || exit 1
  trap qv_stop_xvfb EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
fi
qv_wine_services
# Wine starts its desktop process from the first program that needs it, and that
# process inherits the program's output and outlives it by about a second; CTest
# waits for every holder of its pipes, so under CTest that second would be paid
# by every test. The program's output goes through a file instead, copied out
# when it ends (or when we are stopped, as on a CTest timeout).
if [ -t 1 ]; then
  "$WINELOADER" "$@"
  exit
fi
out="$(mktemp)"
pid=
flush() { cat "$out"; rm -f "$out"; }
stop() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  flush
  exit "$1"
}
trap 'stop 143' TERM
trap 'stop 130' INT
"$WINELOADER" "$@" >"$out" 2>&1 &
pid=$!
rc=0
wait "$pid" || rc=$?
pid=
flush
exit "$rc"
