#!/usr/bin/env bash
# The 32-bit probe: a refusal is reported in one line and the 32-bit run skips
# cleanly; on this machine the probe agrees with the 32-bit loader, if there is one.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/wine-env.sh"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# An ELF for no machine is refused by every kernel, as a 32-bit one is by a
# kernel without 32-bit support.
if QV_PROBE_MACHINE=0 qv_runs_32bit; then
  fail "a program for no machine was taken as runnable"
else
  case "$QV_NO_32BIT" in
    *"Exec format error"*) ;;
    *) fail "the reason does not say why: '$QV_NO_32BIT'" ;;
  esac
  [ "$(wc -l <<<"$QV_NO_32BIT")" = 1 ] || fail "the reason is more than one line"
fi

# The 32-bit run, made to skip by the environment given: it succeeds, saying why in one line.
expect_skip() {
  local why="$1" out rc=0
  shift
  out="$(env "$@" bash "$root/scripts/e2e-wine32.sh" 2>&1)" || rc=$?
  [ "$rc" = 0 ] || fail "the skipped 32-bit run ($*) ended with $rc"
  [ "$(wc -l <<<"$out")" = 1 ] || fail "the skipped 32-bit run ($*) said more than one line: $out"
  case "$out" in
    "32-bit end-to-end run skipped: $why"*) ;;
    *) fail "the skip line ($*) is '$out'" ;;
  esac
}
expect_skip "this machine does not run 32-bit x86 programs" QV_PROBE_MACHINE=0
# A machine that runs 32-bit programs but cannot install 32-bit Wine skips the
# same way (a package that does not exist stands for a broken index).
if qv_runs_32bit; then
  expect_skip "32-bit Wine could not be installed (" QV_WINE32_PACKAGES=qv-no-such-package:i386
fi

# The real probe, checked against the 32-bit loader where one is installed.
if qv_runs_32bit; then runs=yes; else runs=no; fi
[ "$runs" = yes ] || [ -n "$QV_NO_32BIT" ] || fail "a refusal without a reason"
if [ -x /lib/ld-linux.so.2 ]; then
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then loader=yes; else loader=no; fi
  [ "$runs" = "$loader" ] || fail "the probe says $runs, the 32-bit loader says $loader"
fi
ls "$root"/build/probe32.* >/dev/null 2>&1 && fail "the probe left its program behind"

[ "$failures" -eq 0 ] || exit 1
echo "probe: 32-bit programs run here: $runs"
