#!/usr/bin/env bash
# The layer check on a copy of the tree: the tree as it is passes; an include of a layer
# above, however it is written, and a Windows header reached from the portable core each
# fail it, naming the file.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
copy="$(mktemp -d)"
trap 'rm -rf "$copy"' EXIT
for dir in cmake framework components look settings app qvclips; do
  cp -r "$root/$dir" "$copy/"
done
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { cmake -DSOURCE="$copy" -P "$copy/cmake/CheckLayers.cmake" 2>&1; }

# Adds a line to a file of the copy, runs the check, and takes the line out again.
# expect: pass, or the text the failure must hold.
planted() {
  local file="$1" line="$2" expect="$3" out rc
  cp "$copy/$file" "$copy/$file.orig"
  printf '%s\n' "$line" >>"$copy/$file"
  out="$(check)"
  rc=$?
  mv "$copy/$file.orig" "$copy/$file"
  if [ "$expect" = pass ]; then
    [ "$rc" = 0 ] || fail "$file with '$line' was refused: $out"
  elif [ "$rc" = 0 ]; then
    fail "$file with '$line' passed"
  else
    grep -qF -- "$expect" <<<"$out" || fail "$file with '$line' failed without naming it: $out"
  fi
}

out="$(check)" || fail "the tree as it is was refused: $out"

planted framework/Strings.h '#include "app/ClipStore.h"' 'framework/Strings.h: #include "app/ClipStore.h"'
planted framework/Strings.h '#include "../app/ClipStore.h"' 'framework/Strings.h: #include "../app/ClipStore.h"'
planted framework/Strings.cpp '#include <app/x.h>' 'framework/Strings.cpp: #include <app/x.h>'
planted look/MenuColors.h '# include "../components/CheckStates.h"' 'look/MenuColors.h: # include "../components/CheckStates.h"'
# Downwards, however written, is allowed.
planted app/RecallRules.h '#include "../framework/Strings.h"' pass
planted settings/SettingsRules.h '#include <look/MenuColors.h>' pass

# The core's Windows headers: in a portable file, in a header it reaches, and through a
# Win32 header of a lower layer. Win32 files include them freely.
planted app/RecallRules.cpp '#include <windows.h>' 'app/RecallRules.cpp: #include <windows.h>'
planted framework/TextBuffer.h '#include <Windows.h>' 'framework/TextBuffer.h: #include <Windows.h> (a Windows header in the portable core, reached from framework/TextBuffer.cpp)'
planted settings/SettingsRules.cpp '#include "framework/Controls.h"' 'framework/Handles.h: #include <windows.h> (a Windows header in the portable core, reached from settings/SettingsRules.cpp)'
planted settings/PersistentForm.h '#include <shellapi.h>' pass
# A header of our own is no Windows header for sharing a name with one.
printf '#pragma once\n' >"$copy/framework/RichEdit.h"
planted app/RecallRules.h '#include "framework/RichEdit.h"' pass
rm "$copy/framework/RichEdit.h"

[ "$failures" -eq 0 ] || exit 1
echo "layers: the tree passes and every planted include is caught"
