#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test:
# host unit tests (with AddressSanitizer and UBSan), Windows tests and end-to-end
# scenarios under Wine, and a short benchmark run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/wine-env.sh
jobs=$(nproc)

echo "== host build and tests"
cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs"
ctest --preset host

echo "== benchmarks (short run)"
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$jobs" --target qv_bench
./build/bench/bench/qv_bench --benchmark_min_time=0.01 --benchmark_format=console

echo "== the product: 32-bit qvavad.exe"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs" --target qvavad

echo "== Windows tests under Wine (64-bit build of the same sources)"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
qv_wine_prefix
qv_start_xvfb
trap '[ -n "${QV_XVFB_PID:-}" ] && kill "$QV_XVFB_PID" 2>/dev/null; "$WINESERVER" -k 2>/dev/null || true' EXIT
"$WINESERVER" -p
# Start Wine's background services now, detached from CTest's output pipes;
# otherwise CTest waits on them after the first test ends.
qv_wine cmd /c exit </dev/null >/dev/null 2>&1 || true
ctest --preset win64
