#!/usr/bin/env bash
# Installs what the build and the tests need (Debian and Ubuntu packages), once.
# Fast when everything is there: one package query, nothing else.
#   bash scripts/setup.sh        everything
#   bash scripts/setup.sh host   only what the native build needs
#   bash scripts/setup.sh wine32 32-bit Wine (adds the i386 architecture); only
#                                for machines that run 32-bit programs
set -euo pipefail

# CLI11 and nlohmann/json are header-only; the cross builds use them too.
host_pkgs=(cmake make g++ clang libclang-rt-14-dev googletest libbenchmark-dev libcli11-dev
           nlohmann-json3-dev)
# The product is the 32-bit exe; the tests run its 64-bit twin under 64-bit Wine,
# which also works where the kernel cannot run 32-bit Linux programs. wixl builds
# the installers, msitools (msiinfo) reads them back; xclip copies text for the
# installed program to record.
win_pkgs=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 wine wine64 xvfb x11-utils xauth openbox zip unzip
          wixl msitools xclip)

case "${1:-all}" in
  host) wanted=("${host_pkgs[@]}") ;;
  # QV_WINE32_PACKAGES: the tests name a package that does not exist, to see a failure.
  wine32) read -r -a wanted <<<"${QV_WINE32_PACKAGES:-wine32:i386}" ;;
  *) wanted=("${host_pkgs[@]}" "${win_pkgs[@]}") ;;
esac

if ! command -v dpkg-query >/dev/null; then
  echo "setup: this is not a Debian or Ubuntu system; install by hand: ${wanted[*]}" >&2
  exit 1
fi

# Unknown packages are missing too (dpkg-query then prints nothing for them).
# Foreign packages are listed with their architecture, as they are asked for.
installed="$(dpkg-query -W -f='${Package} ${Architecture} ${db:Status-Abbrev}\n' "${wanted[@]}" \
               2>/dev/null | awk '$3 ~ /^ii/ { print $1; print $1 ":" $2 }' || true)"
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
add_arch=()
if [ "${1:-all}" = wine32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  add_arch=("${sudo_cmd[@]}" dpkg --add-architecture i386)
fi
# env, because sudo does not pass the caller's environment on. An index that fails to
# update (one architecture's out of step) need not stop the others' packages: the install
# says what is missing, after the update's own errors.
if ! { { [ ${#add_arch[@]} -eq 0 ] || "${add_arch[@]}"; } &&
       { "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq || true; } &&
       "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive \
         apt-get install -y -qq --no-install-recommends "${need[@]}"; } >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  rm -f "$log"
  echo "setup: installing ${need[*]} failed" >&2
  exit 1
fi
rm -f "$log"
