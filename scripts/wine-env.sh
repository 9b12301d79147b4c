# Sourced by the other scripts (and by hand: "source scripts/wine-env.sh"): the
# project's private 64-bit Wine set-up.
#
#   qv_wine_prefix         make the prefix once; later calls return at once
#   qv_start_xvfb          start a private virtual display, export DISPLAY
#   qv_stop_xvfb           stop the display that qv_start_xvfb started
#   qv_start_wm / qv_stop_wm  run openbox on that display (focus as on a desktop)
#   qv_display_works       is $DISPLAY a reachable X display?
#   qv_wine_services       start Wine's server and services detached from our output
#   qv_test_session        prefix, private display and Wine's services, all ended on exit
#   qv_use_desktop_prefix  switch to the prefix for running the program on your desktop
#                          (after qv_use_wine32: a 32-bit one, build/wineprefix32-desktop)
#   qv_use_wine32          switch to 32-bit Wine and its own prefix (build/wineprefix32)
#   qv_runs_32bit          can this machine execute 32-bit x86 programs? (a real try);
#                          when not, $QV_NO_32BIT says why
#   qv_wine32_available    can it, and is 32-bit Wine installed (installs it once)?
#                          when not, $QV_NO_32BIT says why, in one line
#   qv_pe_bits FILE        32 or 64 for a Windows exe, nothing for anything else
#
# Two prefixes, because tests and people need different things. Tests use
# build/wineprefix on a virtual display that has no window manager; there Wine
# must manage windows itself (otherwise every hidden window waits 2 s for a
# window manager that never answers). scripts/run.sh uses
# build/wineprefix-desktop, where your window manager frames the windows, and a
# test run never kills what you started by hand.
#
# The loader is named directly: Debian's "wine" wrapper prefers a 32-bit loader
# when one is installed, even on machines that cannot execute it.

QV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${QV_WINEPREFIX:-$QV_ROOT/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
# No Mono or Gecko download prompts, no desktop menu entries for test programs.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
QV_PREFIX_KIND="${QV_PREFIX_KIND:-test}"
# Raise when the settings below change: existing prefixes then get them once.
QV_PREFIX_VERSION=2

qv_wine() { "$WINELOADER" "$@"; }

qv_use_desktop_prefix() {
  if [ "$WINEARCH" = win32 ]; then
    export WINEPREFIX="${QV_DESKTOP_WINEPREFIX32:-$QV_ROOT/build/wineprefix32-desktop}"
  else
    export WINEPREFIX="${QV_DESKTOP_WINEPREFIX:-$QV_ROOT/build/wineprefix-desktop}"
  fi
  QV_PREFIX_KIND=desktop
}

# 32-bit Wine runs where the kernel executes 32-bit x86 programs, which is not
# decided by the distribution or the CPU alone. Smaller than any real program:
# a hand-made static ELF that only exits with 42.
qv_runs_32bit() {
  local dir probe rc=0
  dir="$QV_ROOT/build"
  mkdir -p "$dir"
  probe="$(mktemp "$dir/probe32.XXXXXX")"
  _qv_write_elf32 "$probe" "${QV_PROBE_MACHINE:-3}"
  QV_NO_32BIT="$("$probe" 2>&1)" || rc=$?
  rm -f "$probe"
  if [ "$rc" -eq 42 ]; then
    QV_NO_32BIT=
    return 0
  fi
  QV_NO_32BIT="${QV_NO_32BIT##*: }"
  [ -n "$QV_NO_32BIT" ] || QV_NO_32BIT="a 32-bit x86 program ended with $rc instead of 42"
  QV_NO_32BIT="this machine does not run 32-bit x86 programs ($QV_NO_32BIT)"
  return 1
}

# A machine that runs 32-bit programs may still fail to install 32-bit Wine (an
# i386 package index out of step with the other one): the 32-bit run is then
# skipped like on a machine without 32-bit support, never the whole command.
qv_wine32_available() {
  qv_runs_32bit || return 1
  local err reason
  if err="$(bash "$QV_ROOT/scripts/setup.sh" wine32 2>&1 >/dev/null)"; then
    return 0
  fi
  reason="$(grep -m1 -E '^(E|W): ' <<<"$err" || true)"
  [ -n "$reason" ] || reason="$(grep -v '^[[:space:]]*$' <<<"$err" | tail -n 1)"
  QV_NO_32BIT="32-bit Wine could not be installed (${reason:0:160})"
  return 1
}

# ELF header, one loadable segment, then: mov ebx, 42; mov eax, 1 (exit); int 0x80.
# The machine field is 3 (i386); the tests use another to see a refusal.
_qv_write_elf32() {
  local machine
  machine="$(printf '\\x%02x' "$2")"
  {
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    printf "\\x02\\x00${machine}\\x00\\x01\\x00\\x00\\x00\\x54\\x80\\x04\\x08\\x34\\x00\\x00\\x00"
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x28\x00\x00\x00\x00\x00'
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
    printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
    printf '\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80'
  } >"$1"
  chmod +x "$1"
}

# The PE header says it: optional-header magic 0x10b is a 32-bit exe, 0x20b a
# 64-bit one.
qv_pe_bits() {
  local pe magic
  [ "$(head -c 2 "$1" 2>/dev/null)" = MZ ] || return 1
  pe="$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')"
  [ "$(od -An -c -j"$pe" -N4 "$1" | tr -d ' ')" = 'PE\0\0' ] || return 1
  magic="$(od -An -tx2 -j$((pe + 24)) -N2 "$1" | tr -d ' ')"
  case "$magic" in
    010b) echo 32 ;;
    020b) echo 64 ;;
    *) return 1 ;;
  esac
}

qv_use_wine32() {
  export WINEPREFIX="${QV_WINEPREFIX32:-$QV_ROOT/build/wineprefix32}"
  export WINEARCH=win32
  export WINELOADER=/usr/lib/wine/wine
  export WINESERVER=/usr/lib/wine/wineserver32
  [ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver64
}

qv_display_works() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

qv_wine_prefix() {
  local stamp="$WINEPREFIX/.qv-ready"
  local want="$QV_PREFIX_KIND $QV_PREFIX_VERSION"
  if [ ! -x "$WINELOADER" ] || [ ! -x "$WINESERVER" ]; then
    if [ "$WINEARCH" = win32 ]; then
      echo "32-bit Wine is missing ($WINELOADER); run: bash scripts/setup.sh wine32" >&2
    else
      echo "64-bit Wine is missing ($WINELOADER); run: bash scripts/setup.sh" >&2
    fi
    return 1
  fi
  if [ -f "$WINEPREFIX/system.reg" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$want" ]; then
    _qv_wine_update_if_needed
    return
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  # One maker at a time: CTest may start several Wine programs at once.
  (
    command -v flock >/dev/null && flock 9
    [ -f "$WINEPREFIX/system.reg" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$want" ] && exit 0
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "setup: creating the Wine prefix $WINEPREFIX (once, about 15 s)" >&2
      rm -f "$stamp"
      qv_wine wineboot -i </dev/null >/dev/null 2>&1 || true
      # The registry reaches the disk when the server ends.
      timeout 120 "$WINESERVER" -w || true
      if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "setup: wineboot could not create $WINEPREFIX" >&2
        exit 1
      fi
    fi
    # A crashing test must fail, not wait on a dialog nobody will answer.
    qv_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      </dev/null >/dev/null 2>&1 || exit 1
    local managed=Y
    [ "$QV_PREFIX_KIND" = test ] && managed=N
    qv_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f \
      </dev/null >/dev/null 2>&1 || exit 1
    echo "$want" >"$stamp"
  ) 9>"$WINEPREFIX.lock"
}

# Wine brings a prefix up to date by itself after a Wine upgrade, which takes
# long enough to fail the first test's waits; do it here instead.
_qv_wine_update_if_needed() {
  local inf=/usr/share/wine/wine.inf done_at
  [ -f "$inf" ] || return 0
  done_at="$(tr -d '\r\n ' 2>/dev/null <"$WINEPREFIX/.update-timestamp" || true)"
  [ "$done_at" = disable ] || [ "$done_at" = "$(stat -c %Y "$inf")" ] && return 0
  echo "setup: updating the Wine prefix $WINEPREFIX for the installed Wine" >&2
  qv_wine wineboot -u </dev/null >/dev/null 2>&1 || true
}

# Keeps the Wine server up for a while between programs (each test program
# would otherwise pay for Wine's start), and starts Wine's background services
# with their output going nowhere: CTest waits for every process that holds
# its output pipes, and services started by a test program would hold them.
# Sets QV_STARTED_WINESERVER=1 when it started the server.
qv_wine_services() {
  if "$WINESERVER" -p"${QV_WINESERVER_LINGER:-30}" </dev/null >/dev/null 2>&1; then
    QV_STARTED_WINESERVER=1
    qv_wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  fi
}

# Starts a private virtual display, so that tests never touch your screen,
# clipboard or keyboard. Reuses the one this shell already started.
qv_start_xvfb() {
  if [ -n "${QV_XVFB_PID:-}" ] && kill -0 "$QV_XVFB_PID" 2>/dev/null; then return 0; fi
  if ! command -v Xvfb >/dev/null; then
    echo "Xvfb is missing; run: bash scripts/setup.sh" >&2
    return 1
  fi
  local n ready pid tries
  ready="$(mktemp)"
  for n in $(seq 91 140); do
    { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
    : >"$ready"
    # Xvfb writes the display number to fd 3 once it accepts connections; it
    # ends at once if someone else took the number in the meantime.
    Xvfb ":$n" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$ready" \
      </dev/null >/dev/null 2>&1 &
    pid=$!
    tries=200
    while [ ! -s "$ready" ] && kill -0 "$pid" 2>/dev/null && [ $((tries -= 1)) -gt 0 ]; do
      sleep 0.05
    done
    if [ -s "$ready" ]; then
      rm -f "$ready"
      export DISPLAY=":$n"
      QV_XVFB_PID=$pid
      return 0
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -f "$ready"
  echo "could not start Xvfb" >&2
  return 1
}

qv_stop_xvfb() {
  if [ -n "${QV_XVFB_PID:-}" ]; then
    kill "$QV_XVFB_PID" 2>/dev/null || true
    wait "$QV_XVFB_PID" 2>/dev/null || true
    QV_XVFB_PID=
  fi
  return 0
}

# A window manager on the private display: activation and focus then go through
# it, as on a real desktop, instead of being granted at once.
qv_start_wm() {
  if [ -n "${QV_WM_PID:-}" ] && kill -0 "$QV_WM_PID" 2>/dev/null; then return 0; fi
  if ! command -v openbox >/dev/null; then
    echo "openbox is missing; run: bash scripts/setup.sh" >&2
    return 1
  fi
  openbox --sm-disable </dev/null >/dev/null 2>&1 &
  QV_WM_PID=$!
  local tries=100
  # Ready once it owns the screen's window-manager selection.
  while ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window &&
        kill -0 "$QV_WM_PID" 2>/dev/null && [ $((tries -= 1)) -gt 0 ]; do
    sleep 0.05
  done
}

qv_stop_wm() {
  if [ -n "${QV_WM_PID:-}" ]; then
    kill "$QV_WM_PID" 2>/dev/null || true
    wait "$QV_WM_PID" 2>/dev/null || true
    QV_WM_PID=
  fi
  return 0
}

# What every run of the tests or benchmarks needs: the prefix, a private virtual display
# (they type, click and use the clipboard) and Wine's services; all ended on exit.
qv_test_session() {
  qv_wine_prefix
  qv_start_xvfb
  trap qv_end_test_session EXIT
  qv_wine_services
}

qv_end_test_session() {
  qv_stop_wm
  # Only a server this run started: someone else's programs may use it.
  if [ -n "${QV_STARTED_WINESERVER:-}" ]; then "$WINESERVER" -k 2>/dev/null || true; fi
  qv_stop_xvfb
}
