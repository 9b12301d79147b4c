#!/usr/bin/env bash
# Installs what the build and the tests need (Debian and Ubuntu packages), once.
# Fast when everything is there: one package query, nothing else.
#   bash scripts/setup.sh        everything
#   bash scripts/setup.sh host   only what the native build needs
set -euo pipefail

# CLI11 and nlohmann/json are header-only; the cross builds use them too.
host_pkgs=(cmake make g++ clang libclang-rt-14-dev googletest libbenchmark-dev libcli11-dev
           nlohmann-json3-dev)
# The product is the 32-bit exe; the tests run its 64-bit twin under 64-bit Wine,
# which also works where the kernel cannot run 32-bit Linux programs.
win_pkgs=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 wine wine64 xvfb x11-utils xauth openbox)

wanted=("${host_pkgs[@]}")
[ "${1:-all}" = host ] || wanted+=("${win_pkgs[@]}")

if ! command -v dpkg-query >/dev/null; then
  echo "setup: this is not a Debian or Ubuntu system; install by hand: ${wanted[*]}" >&2
  exit 1
fi

# Unknown packages are missing too (dpkg-query then prints nothing for them).
installed="$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${wanted[@]}" 2>/dev/null |
             awk '$2 ~ /^ii/ { print $1 }' || true)"
need=()
for p in "${wanted[@]}"; do
  grep -qxF "$p" <<<"$installed" || need+=("$p")
done
[ ${#need[@]} -eq 0 ] && exit 0

echo "setup: installing ${need[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "setup: need root to install packages; run as root: apt-get install ${need[*]}" >&2
    exit 1
  fi
  sudo_cmd=(sudo)
fi
log="$(mktemp)"
# env, because sudo does not pass the caller's environment on.
if ! { "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
       "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive \
         apt-get install -y -qq --no-install-recommends "${need[@]}"; } >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  rm -f "$log"
  echo "setup: installing ${need[*]} failed" >&2
  exit 1
fi
rm -f "$log"
