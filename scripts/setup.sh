#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with. Idempotent:
# silent when everything is present. Needs root (apt-get) only when something is missing.
# Usage: scripts/setup.sh [--windows]   (--windows adds MinGW and wine for the DLL and its tests)
set -euo pipefail

linux_pkgs=(cmake g++ make pkg-config nlohmann-json3-dev libfmt-dev libhowardhinnant-date-dev
            tzdata libminizip-dev zlib1g-dev libgtest-dev googletest unzip python3)
windows_pkgs=(g++-mingw-w64-i686-posix libz-mingw-w64-dev g++-mingw-w64-x86-64-posix wine64)

want_windows=0
[ "${1:-}" = "--windows" ] && want_windows=1

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

need=($(missing "${linux_pkgs[@]}"))
if [ "$want_windows" -eq 1 ]; then
  need+=($(missing "${windows_pkgs[@]}"))
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  need+=($(missing wine32:i386 wine))
fi

[ "${#need[@]}" -eq 0 ] && exit 0
echo "setup: installing ${need[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update -qq >/dev/null
as_root apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
