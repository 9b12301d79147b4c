#!/usr/bin/env bash
# Installs what the build and the tests need, once. Fast when everything is there.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

host_pkgs=(cmake make g++ clang googletest libbenchmark-dev)
# The product is the 32-bit exe; the tests run its 64-bit twin under 64-bit Wine,
# which also works where the kernel cannot run 32-bit Linux programs.
win_pkgs=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 wine wine64 xvfb x11-utils xauth)

for p in "${host_pkgs[@]}"; do have "$p" || need+=("$p"); done
if [ "${1:-all}" != "host" ]; then
  for p in "${win_pkgs[@]}"; do have "$p" || need+=("$p"); done
fi

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
