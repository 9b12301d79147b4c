#!/usr/bin/env bash
# Checks what scripts/release.sh made: both zips named after the project
# version, holding exactly the programs and README.txt; each exe is a stripped
# PE32 (win32) or PE32+ (win64) for the right machine, carries the version in
# its version resource and the manifest; the read-me has CR LF line ends.
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/wine-env.sh

# A program added to the packages is added here too.
programs=(qvavad qvclips)

failures=0
fail() { echo "release check: $*" >&2; failures=$((failures + 1)); }

u16() { od -An -tu2 -j"$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j"$2" -N4 "$1" | tr -d ' '; }

check_exe() { # file bits version
  local exe=$1 bits=$2 version=$3 pe machine at ms ls
  [ "$(qv_pe_bits "$exe")" = "$bits" ] || { fail "$exe is not a $bits-bit Windows exe"; return; }
  pe="$(u32 "$exe" 60)"
  machine="$(u16 "$exe" $((pe + 4)))"
  # 332 = 0x14c (i386), 34404 = 0x8664 (AMD64).
  if [ "$bits" = 32 ] && [ "$machine" != 332 ]; then fail "$exe is not for i386 ($machine)"; fi
  if [ "$bits" = 64 ] && [ "$machine" != 34404 ]; then fail "$exe is not for AMD64 ($machine)"; fi
  # Stripped: no COFF symbols (strip may leave the table's offset behind).
  [ "$(u32 "$exe" $((pe + 16)))" = 0 ] || fail "$exe still has its symbols"
  # The fixed part of the version resource starts with 0xFEEF04BD; the file
  # version follows the structure version, high word first.
  at="$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$exe" | head -n 1 | cut -d: -f1)"
  if [ -z "$at" ]; then
    fail "$exe has no version resource"
  else
    ms="$(u32 "$exe" $((at + 8)))"
    ls="$(u32 "$exe" $((at + 12)))"
    [ "$((ms >> 16)).$((ms & 65535)).$((ls >> 16))" = "$version" ] ||
      fail "$exe carries version $((ms >> 16)).$((ms & 65535)).$((ls >> 16)), not $version"
  fi
  LC_ALL=C grep -qa 'requestedExecutionLevel level="asInvoker"' "$exe" ||
    fail "$exe has no manifest asking to run as invoker"
  LC_ALL=C grep -qa '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a' "$exe" ||
    fail "$exe does not declare Windows 10 and 11"
  LC_ALL=C grep -qa 'PerMonitorV2' "$exe" ||
    fail "$exe does not declare per-monitor DPI awareness"
  if LC_ALL=C grep -qai 'Common-Controls' "$exe"; then
    fail "$exe asks for common controls 6"
  fi
}

version="$(cat build/win32/version.txt 2>/dev/null)"
[ -n "$version" ] || { echo "release check: no version (run scripts/release.sh)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for arch in win32 win64; do
  zip="build/release/qvavad-$version-$arch.zip"
  [ -f "$zip" ] || { fail "$zip is missing"; continue; }
  want="$(printf '%s.exe\n' "${programs[@]}"; echo README.txt)"
  have="$(unzip -Z1 "$zip")"
  [ "$(sort <<<"$have")" = "$(sort <<<"$want")" ] ||
    fail "$zip holds [$(echo $have)], not [$(echo $want)]"
  mkdir "$work/$arch"
  unzip -q "$zip" -d "$work/$arch" || { fail "$zip does not unpack"; continue; }
  bits=64
  [ "$arch" = win32 ] && bits=32
  for p in "${programs[@]}"; do
    [ -f "$work/$arch/$p.exe" ] && check_exe "$work/$arch/$p.exe" "$bits" "$version"
  done
  readme="$work/$arch/README.txt"
  if [ -f "$readme" ]; then
    [ "$(grep -c . "$readme")" -gt 10 ] || fail "$readme is nearly empty"
    # Every line ends in CR LF: no LF without its CR, no CR without its LF.
    [ "$(tr -cd '\n' <"$readme" | wc -c)" = "$(grep -c $'\r$' "$readme")" ] &&
      [ "$(tr -cd '\r' <"$readme" | wc -c)" = "$(tr -cd '\n' <"$readme" | wc -c)" ] ||
      fail "$readme does not end every line with CR LF"
    LC_ALL=C grep -q '[^[:print:][:space:]]' "$readme" && fail "$readme is not plain text"
    grep -q "version $version" "$readme" || fail "$readme does not name version $version"
  fi
done
# A tripwire for growth nobody meant: 1.25 MB (1.0 MB before crash-safe saves with their
# journal checkpoints, paths beyond the ANSI code page and per-user instance names came in;
# together about 75 KB).
if [ "$(stat -c %s "$work/win32/qvavad.exe" 2>/dev/null || echo 0)" -ge 1310720 ]; then
  fail "the 32-bit qvavad.exe has grown to 1.25 MB or more"
fi
[ "$failures" -eq 0 ] || exit 1
echo "release check: both packages hold what they should"
