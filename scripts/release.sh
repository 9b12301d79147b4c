#!/usr/bin/env bash
# Builds the release packages from the Release builds:
#   build/release/qvavad-<version>-win32.zip   the 32-bit exe (runs on every Windows)
#   build/release/qvavad-<version>-win64.zip   the 64-bit exe
# Each holds the stripped programs and README.txt (for Windows users, CR LF line
# ends) and nothing else. The version is the CMake project version.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
out=build/release
mkdir -p "$out"
version=
for arch in win32 win64; do
  preset=$arch
  [ "$arch" = win64 ] && preset=win64-release
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" --target qv_release
  bdir="build/$preset"
  version="$(cat "$bdir/version.txt")"
  stage="$out/stage-$arch"
  rm -rf "$stage"
  cmake --install "$bdir" --prefix "$stage" --strip >/dev/null
  zip="$out/qvavad-$version-$arch.zip"
  rm -f "$zip"
  # Flat, no folder entries, no Unix extras: what Explorer's "Extract all" expects.
  (cd "$stage" && zip -q -X -D "../$(basename "$zip")" *)
  rm -rf "$stage"
  echo "release: $zip ($(stat -c %s "$zip") bytes)"
done
