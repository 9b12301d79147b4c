#!/usr/bin/env bash
# Builds one per-user Windows Installer package from a folder holding what the
# zip holds (qvavad.exe, qvclips.exe, README.txt), with Debian's wixl:
#   bash scripts/msi.sh STAGE win32|win64 VERSION OUT.msi
# scripts/release.sh makes the released ones; the release check makes a higher
# version from the same files to try an upgrade.
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: msi.sh STAGE win32|win64 VERSION OUT.msi" >&2; exit 2; }
stage=$1 version=$3 out=$4
case "$2" in
  win32) arch=x86 ;;
  win64) arch=x64 ;;
  *) echo "msi.sh: unknown architecture $2" >&2; exit 2 ;;
esac
root="$(cd "$(dirname "$0")/.." && pwd)"
stage="$(realpath "$stage")"
out="$(realpath -m "$out")"
# wixl resolves the sources against the current folder and refuses absolute names.
cd "$stage"
cp "$root/resources/mainicon.ico" .qv-icon.ico
status=0
wixl -a "$arch" -D Version="$version" -D Arch="$arch" -D Stage=. -D Icon=.qv-icon.ico \
  -o "$out" "$root/packaging/qvavad.wxs" || status=$?
rm -f .qv-icon.ico
exit $status
