#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test:
# host unit tests (with AddressSanitizer and UBSan), a short benchmark run, the
# fuzz targets, the release packages and their check, the end-to-end scenarios
# against the 32-bit product (where this machine runs 32-bit programs), and the
# Windows tests and end-to-end scenarios of the 64-bit build under Wine.
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

echo "== fuzz targets (a few seconds each, on the parsers of outside input)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target qv_fuzz
for target in build/fuzz/fuzz/Fuzz*; do
  [ -x "$target" ] || continue
  "$target" -max_total_time=4 -print_final_stats=0 -artifact_prefix=build/fuzz/ 2>&1 | tail -n 1
done

echo "== release packages: the 32-bit product and its 64-bit twin, Release builds"
bash scripts/release.sh
bash tests/scripts/release_check.sh

echo "== end-to-end scenarios against the 32-bit product under 32-bit Wine"
bash scripts/e2e-wine32.sh

echo "== Windows tests under Wine (64-bit build of the same sources)"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
qv_test_session
ctest --preset win64

echo "== the scenarios and the focus tests again, with a window manager on the display"
qv_start_wm
ctest --preset win64 -R e2e
"$WINELOADER" build/win64/tests/qv_win_tests.exe --gtest_filter='Recall.*:Settings.*' \
  --gtest_brief=1
