#!/usr/bin/env bash
# Builds the release packages from the Release builds:
#   build/release/qvavad-<version>-win32.zip   the 32-bit exe (runs on every Windows)
#   build/release/qvavad-<version>-win64.zip   the 64-bit exe
#   build/release/qvavad-<version>-win32.msi   the same files as per-user installers
#   build/release/qvavad-<version>-win64.msi   (scripts/msi.sh, packaging/qvavad.wxs)
#   build/release/winget/, build/release/scoop/ the manifests of packaging/, filled in
#                                              with the hashes of these files
# Each zip holds the stripped programs and README.txt (for Windows users, CR LF
# line ends) and nothing else. The version is the CMake project version.
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
  echo "release: $zip ($(stat -c %s "$zip") bytes)"
  msi="$out/qvavad-$version-$arch.msi"
  rm -f "$msi"
  bash scripts/msi.sh "$stage" "$arch" "$version" "$msi"
  rm -rf "$stage"
  echo "release: $msi ($(stat -c %s "$msi") bytes)"
done

# The manifests: every @NAME@ of the templates filled in.
conf() { sed -n "s/^$1=//p" packaging/release.conf; }
url="$(conf download_url)"
url="${url//\{version\}/$version}"
sha() { sha256sum "$out/qvavad-$version-$1" | cut -d' ' -f1; }
product_code() { msiinfo export "$out/qvavad-$version-$1.msi" Property | sed -n 's/^ProductCode\t//p' | tr -d '\r'; }
fill() {
  sed -e "s|@VERSION@|$version|g" -e "s|@URL@|$url|g" -e "s|@HOMEPAGE@|$(conf homepage)|g" \
      -e "s|@SHA256_WIN32_MSI@|$(sha win32.msi)|g" -e "s|@SHA256_WIN64_MSI@|$(sha win64.msi)|g" \
      -e "s|@SHA256_WIN32_ZIP@|$(sha win32.zip)|g" -e "s|@SHA256_WIN64_ZIP@|$(sha win64.zip)|g" \
      -e "s|@PRODUCTCODE_WIN32@|$(product_code win32)|g" \
      -e "s|@PRODUCTCODE_WIN64@|$(product_code win64)|g" "$1"
}
for kind in winget scoop; do
  rm -rf "${out:?}/$kind"
  mkdir -p "$out/$kind"
  for template in packaging/"$kind"/*; do
    fill "$template" >"$out/$kind/$(basename "$template")"
  done
  echo "release: $out/$kind/ ($(ls "$out/$kind" | tr '\n' ' '))"
done
