#!/usr/bin/env bash
# Measures the released program (the 64-bit Release exe) under Wine on a private virtual
# display: the time from a start until it answers, the hot key's time to bring the clip
# window up, and its memory, each with an empty history and with a long one (100,000 short
# clips, a full store, unless a count is given). Prints the numbers; they pass or fail
# nothing.
#
#   bash scripts/bench-wine.sh [clips] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
cmake --preset win64-release >/dev/null
cmake --build --preset win64-release -j 2 --target qv_wine_bench
qv_test_session
if [ "${QV_BENCH_WM:-}" = 1 ]; then qv_start_wm; fi
"$WINELOADER" build/win64-release/bench/wine/qv_wine_bench.exe "${1:-100000}" "${2:-3}"
