#!/usr/bin/env bash
# Runs the end-to-end scenarios a second time, against the product itself: the
# 32-bit qvavad.exe, under 32-bit Wine in a prefix of its own
# (build/wineprefix32). 32-bit Wine needs a kernel that executes 32-bit x86
# programs and an i386 package index that installs; where either is missing,
# one line says so and the run succeeds.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
if ! qv_wine32_available; then
  echo "32-bit end-to-end run skipped: $QV_NO_32BIT"
  exit 0
fi
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target qv_e2e_tests
qv_use_wine32
qv_test_session
ctest --preset win32
