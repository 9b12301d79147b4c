# Sourced: the project's private 64-bit Wine prefix, made once inside the build folder.
# The loader is named directly: Debian's "wine" wrapper prefers a 32-bit loader
# when one is installed, even on machines that cannot execute it.
QV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${QV_WINEPREFIX:-$QV_ROOT/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

qv_wine() { "$WINELOADER" "$@"; }

qv_wine_prefix() {
  if [ ! -f "$WINEPREFIX/.qv-ready" ]; then
    echo "setup: creating the Wine prefix in $WINEPREFIX (once)"
    mkdir -p "$WINEPREFIX"
    qv_wine wineboot -i >/dev/null 2>&1 || true
    # A crashing test must fail, not wait on a dialog nobody will answer.
    qv_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    "$WINESERVER" -w
    touch "$WINEPREFIX/.qv-ready"
  fi
}

# Starts a private virtual display (tests always use one, so they never touch
# the user's screen, clipboard or keyboard).
qv_start_xvfb() {
  local n
  for n in $(seq 91 140); do
    { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QV_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
      xdpyinfo >/dev/null 2>&1 && return 0
      sleep 0.1
    done
    kill "$QV_XVFB_PID" 2>/dev/null || true
  done
  echo "could not start Xvfb" >&2
  return 1
}
