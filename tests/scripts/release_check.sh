#!/usr/bin/env bash
# Checks what scripts/release.sh made: both zips named after the project
# version, holding exactly the programs and README.txt; each exe is a stripped
# PE32 (win32) or PE32+ (win64) for the right machine, carries the version in
# its version resource and the manifest; the read-me has CR LF line ends.
# Both installers hold the zip's files and are per-user; the 64-bit one is
# installed, run (it records a copy), upgraded while it runs and removed under
# 64-bit Wine in a throwaway prefix (the 32-bit one would need 32-bit Wine,
# which not every machine can run). The winget and scoop manifests name the
# built files by their hashes.
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
upgrade_code='{F978FCD6-AD3B-455D-BCD6-A31E38BC13C4}'
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

msi_property() { msiinfo export "$1" Property | tr -d '\r' | sed -n "s/^$2\t//p"; }

# What can be seen without installing: the properties, the files, where they go.
check_msi() { # file platform(Intel|x64) zip-folder
  local msi=$1 platform=$2 files=$3 words
  [ "$(stat -c %s "$msi")" -lt 2097152 ] || fail "$msi has grown to 2 MB or more"
  [ "$(msi_property "$msi" ProductName)" = "Quorvel Vavad" ] || fail "$msi has another name"
  [ "$(msi_property "$msi" ProductVersion)" = "$version" ] || fail "$msi is not version $version"
  [ -n "$(msi_property "$msi" Manufacturer)" ] || fail "$msi names no publisher"
  [ -n "$(msi_property "$msi" ARPPRODUCTICON)" ] || fail "$msi gives Apps & features no icon"
  # Upgrades find the installed product by this code alone: it never changes.
  [ "$(msi_property "$msi" UpgradeCode)" = "$upgrade_code" ] || fail "$msi has another UpgradeCode"
  [ -z "$(msi_property "$msi" ALLUSERS)" ] || fail "$msi installs for all users"
  msiinfo suminfo "$msi" | grep -q "^Template: $platform;" || fail "$msi is not for $platform"
  # Word count 8: no elevation needed.
  words="$(msiinfo suminfo "$msi" | sed -n 's/^Source: \([0-9]*\).*/\1/p')"
  [ $(( ${words:-0} & 8 )) -ne 0 ] || fail "$msi asks for elevation"
  msiinfo export "$msi" Directory | tr -d '\r' | grep -q $'^ProgramsFolder\tLocalAppDataFolder\tPrograms$' ||
    fail "$msi does not install into the local application data"
  mkdir "$work/msi-$platform"
  (cd "$work/msi-$platform" && msiextract "$msi" >/dev/null) || { fail "$msi does not unpack"; return; }
  (cd "$files" && sha256sum *) >"$work/zip.sums"
  (cd "$work/msi-$platform/Programs/Quorvel Vavad" 2>/dev/null && sha256sum *) >"$work/msi.sums"
  cmp -s "$work/zip.sums" "$work/msi.sums" || fail "$msi does not hold exactly the zip's files"
}

wait_for() { # tries command...
  local tries=$1
  shift
  until "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.2
  done
}
program_window() { xwininfo -root -tree 2>/dev/null | grep -q '"Quorvel Vavad": ("qvavad.exe"'; }
no_program_window() { ! program_window; }
clip="copied while installed $$"
journal_holds_clip() { grep -qaF "$clip" "$dir/vqclips.qvj" 2>/dev/null; }
msiexec() { qv_wine msiexec "$@" </dev/null >/dev/null 2>&1; }
run_value() {
  qv_wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v 'Quorvel Vavad' \
    </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ *Quorvel Vavad *REG_SZ *//p'
}
set_run_value() {
  qv_wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v 'Quorvel Vavad' \
    /t REG_SZ /d "$1" /f </dev/null >/dev/null 2>&1
}
uninstall_entry() { # product code [/reg:32] -> its Apps & features values, one "name value" a line
  qv_wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" ${2:-} \
    </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ *\([A-Za-z]*\) *REG_[A-Z_]* *\(.*\)$/\1 \2/p'
}
clip_sums() { (cd "$dir" && sha256sum Lb1.qvl vqclips.qvl qvavad.ini vqclips.qvl.bak 2>&1); }

# Installed, started, upgraded with the program running, removed: in a prefix
# of its own, so that nothing of it reaches the tests' prefix.
check_msi_installed() { # file zip-folder
  local msi=$1 files=$2 code newer newer_code sums entry winexe
  code="$(msi_property "$msi" ProductCode)"
  msiexec /i "$msi" /qn || { fail "msiexec /i $msi failed"; return; }
  dir="$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/Quorvel\ Vavad)"
  for f in qvavad.exe qvclips.exe README.txt; do
    [ -f "$dir/$f" ] || fail "the installed $f is not in %LOCALAPPDATA%\\Programs\\Quorvel Vavad"
  done
  compgen -G "$WINEPREFIX/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quorvel Vavad.lnk" \
    >/dev/null || fail "no Start menu shortcut"
  entry="$(uninstall_entry "$code")"
  grep -qx 'DisplayName Quorvel Vavad' <<<"$entry" || fail "no Apps & features entry for $code"
  grep -qx "DisplayVersion $version" <<<"$entry" || fail "Apps & features does not show $version"
  grep -q '^Publisher .' <<<"$entry" || fail "Apps & features names no publisher"
  [ -f "$dir/qvavad.exe" ] || return

  # The program runs from there, and its Run value names it ("Start with Windows").
  winexe="$(qv_wine winepath -w "$dir/qvavad.exe" 2>/dev/null | tr -d '\r')"
  set_run_value "\"$winexe\""
  echo "kept from an older save" >"$dir/vqclips.qvl.bak"
  qv_wine "$dir/qvavad.exe" </dev/null >/dev/null 2>&1 &
  wait_for 150 program_window || fail "the installed program shows no window"
  # A copy made on the display reaches Wine's clipboard, and the program records it:
  # its journal holds the text within a second.
  printf '%s' "$clip" | xclip -selection clipboard -loops 1 2>/dev/null &
  wait_for 150 journal_holds_clip || fail "the installed program did not record a copy"

  # A higher version of the same files replaces it in place; the running copy
  # is asked to quit first and saves its files on the way out.
  IFS=. read -r major minor patch <<<"$version"
  newer="$major.$minor.$((patch + 1))"
  bash scripts/msi.sh "$files" win64 "$newer" "$work/newer.msi" 2>/dev/null ||
    { fail "no package of version $newer"; return; }
  newer_code="$(msi_property "$work/newer.msi" ProductCode)"
  msiexec /i "$work/newer.msi" /qn || fail "the upgrade to $newer failed"
  wait_for 150 no_program_window || fail "the upgrade did not ask the running program to quit"
  for f in Lb1.qvl vqclips.qvl qvavad.ini vqclips.qvl.bak; do
    [ -f "$dir/$f" ] || fail "$f is not in the folder after the upgrade"
  done
  grep -qaF "$clip" "$dir/vqclips.qvl" 2>/dev/null || fail "the copy was not saved on the way out"
  sums="$(clip_sums)"
  grep -qx "DisplayVersion $newer" <<<"$(uninstall_entry "$newer_code")" ||
    fail "Apps & features does not show $newer after the upgrade"
  [ -z "$(uninstall_entry "$code")" ] || fail "the upgrade left $version's entry behind"
  [ "$(run_value)" = "\"$winexe\"" ] || fail "the upgrade changed the Run value"
  ! msiexec /i "$msi" /qn || fail "$version was installed over the newer $newer"

  # Removed: the programs, the shortcut and the Run value naming them go; the
  # user's files stay.
  msiexec /x "$work/newer.msi" /qn || fail "msiexec /x failed"
  for f in qvavad.exe qvclips.exe README.txt; do
    [ ! -e "$dir/$f" ] || fail "the uninstall left $f"
  done
  ! compgen -G "$WINEPREFIX/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quorvel Vavad.lnk" \
    >/dev/null || fail "the uninstall left the Start menu shortcut"
  [ -z "$(uninstall_entry "$newer_code")" ] || fail "the uninstall left the Apps & features entry"
  [ -z "$(run_value)" ] || fail "the uninstall left the Run value naming the removed exe"
  [ "$(clip_sums)" = "$sums" ] || fail "the uninstall changed or removed the user's files"

  # A Run value that names a copy elsewhere is that copy's own.
  msiexec /i "$work/newer.msi" /qn || fail "installing again failed"
  set_run_value '"C:\Portable\qvavad.exe"'
  msiexec /x "$work/newer.msi" /qn || fail "msiexec /x failed the second time"
  [ "$(run_value)" = '"C:\Portable\qvavad.exe"' ] || fail "the uninstall removed another copy's Run value"
}

# The 32-bit package, where its program may not run (64-bit Wine alone): it installs the
# zip's files, the shortcut and the entry all the same, and its removal takes them away.
check_msi_files() { # file zip-folder
  local msi=$1 files=$2 code dir
  code="$(msi_property "$msi" ProductCode)"
  msiexec /i "$msi" /qn || { fail "msiexec /i $msi failed"; return; }
  dir="$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/Quorvel\ Vavad)"
  (cd "$files" && sha256sum *) >"$work/zip32.sums"
  (cd "$dir" && sha256sum -c --quiet "$work/zip32.sums" >/dev/null 2>&1) ||
    fail "$msi did not install the zip's files"
  compgen -G "$WINEPREFIX/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quorvel Vavad.lnk" \
    >/dev/null || fail "$msi made no Start menu shortcut"
  # A 32-bit package writes its entry where 32-bit programs see the registry.
  grep -qx 'DisplayName Quorvel Vavad' <<<"$(uninstall_entry "$code" /reg:32)" ||
    fail "$msi made no Apps & features entry"
  msiexec /x "$msi" /qn || fail "msiexec /x $msi failed"
  [ ! -e "$dir/qvavad.exe" ] || fail "the removal of $msi left qvavad.exe"
  [ -z "$(uninstall_entry "$code" /reg:32)" ] || fail "the removal of $msi left its entry"
}

check_manifests() {
  local m=build/release/winget/Quorvel.QuorvelVavad.installer.yaml
  local s=build/release/scoop/qvavad.json arch
  for f in build/release/winget/Quorvel.QuorvelVavad.yaml "$m" \
    build/release/winget/Quorvel.QuorvelVavad.locale.en-US.yaml "$s"; do
    [ -f "$f" ] || { fail "$f is missing"; continue; }
    ! grep -q '@[A-Z0-9_]*@' "$f" || fail "$f still has blanks to fill in"
    grep -q "$version" "$f" || fail "$f does not name version $version"
  done
  grep -qx 'Scope: user' "$m" || fail "$m is not for a per-user install"
  for arch in win32 win64; do
    grep -qiF "InstallerSha256: $(sha256sum "build/release/qvavad-$version-$arch.msi" | cut -d' ' -f1)" "$m" ||
      fail "$m does not hold the hash of the $arch installer"
    grep -qF "ProductCode: '$(msi_property "build/release/qvavad-$version-$arch.msi" ProductCode)'" "$m" ||
      fail "$m does not hold the product code of the $arch installer"
    grep -qiF "\"hash\": \"$(sha256sum "build/release/qvavad-$version-$arch.zip" | cut -d' ' -f1)\"" "$s" ||
      fail "$s does not hold the hash of the $arch zip"
  done
  for f in Lb1.qvl vqclips.qvl vqclips.qvu vqclips.qvj qvavad.ini; do
    grep -qF "\"$f\"" "$s" || fail "$s does not persist $f"
  done
}

for arch in win32 win64; do
  msi="build/release/qvavad-$version-$arch.msi"
  platform=x64
  [ "$arch" = win32 ] && platform=Intel
  if [ -f "$msi" ] && [ -d "$work/$arch" ]; then
    check_msi "$PWD/$msi" "$platform" "$work/$arch"
  else
    fail "$msi is missing"
  fi
done
check_manifests

msi="$PWD/build/release/qvavad-$version-win64.msi"
if [ -f "$msi" ] && [ -d "$work/win64" ]; then
  export WINEPREFIX="$(mktemp -d "$PWD/build/msi-prefix.XXXXXX")"
  rm -rf "$WINEPREFIX"
  trap 'rm -rf "$work"; "$WINESERVER" -k 2>/dev/null; qv_stop_xvfb; rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"' EXIT
  if qv_wine_prefix >/dev/null 2>&1 && qv_start_xvfb; then
    check_msi_installed "$msi" "$work/win64"
    msi32="$PWD/build/release/qvavad-$version-win32.msi"
    [ -f "$msi32" ] && [ -d "$work/win32" ] && check_msi_files "$msi32" "$work/win32"
  else
    fail "no Wine prefix or display to install $msi in"
  fi
fi

# A tripwire for growth nobody meant: the 32-bit exe stays under 1 MiB (about 950 KB with
# the window code built for size and the portable core for speed).
if [ "$(stat -c %s "$work/win32/qvavad.exe" 2>/dev/null || echo 0)" -ge 1048576 ]; then
  fail "the 32-bit qvavad.exe has grown to 1 MiB or more"
fi
[ "$failures" -eq 0 ] || exit 1
echo "release check: both zips and both installers hold what they should, the manifests match"
