#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with. Idempotent:
# silent when everything is present. Needs root (apt-get) only when something is missing.
# Usage: scripts/setup.sh [--windows] [--fuzz]
#   --windows adds what the 32-bit DLL and its tests need: MinGW, wine with wine32 (i386), and,
#   where the kernel cannot run 32-bit x86 programs, user-mode emulation of them (qemu-i386 from
#   bookworm-backports, registered with binfmt_misc). Debian 12's own qemu (7.2) cannot run wine:
#   it ignores MAP_FIXED_NOREPLACE, so every wine process spends minutes reserving its address
#   space and the prefix never boots.
#   --fuzz adds Clang 14 and libFuzzer for the fuzz targets (TORVIK_LIBFUZZER=ON, fuzz/run.sh).
set -euo pipefail

# libcli11-dev: the tool's argument parser (header-only); help2man: the tool's man page;
# dpkg-dev and file: the .deb's dependencies (dpkg-shlibdeps); python3-pytest: the Python binding's tests.
# clang-format-14: the layout check (scripts/check-format.sh).
linux_pkgs=(cmake g++ make pkg-config nlohmann-json3-dev libfmt-dev libhowardhinnant-date-dev
            tzdata libminizip-dev zlib1g-dev libgtest-dev googletest unzip python3
            libcli11-dev help2man dpkg-dev file python3-pytest clang-format-14)
# wine64 brings the native wineserver, which serves the 32-bit programs too.
windows_pkgs=(g++-mingw-w64-i686-posix libz-mingw-w64-dev wine wine32:i386 wine64)
fuzz_pkgs=(clang-14 libclang-rt-14-dev libfuzzer-14-dev)
qemu_min_version=1:10  # the first qemu known to run wine32 here
wine32_loader=/usr/lib/wine/wine
binfmt=/proc/sys/fs/binfmt_misc
# i386 ELF executables (ELFCLASS32, little-endian, EM_386) run by qemu-i386; F opens the
# interpreter now, so it also serves programs started in other mount namespaces.
i386_binfmt=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F'

want_windows=0
want_fuzz=0
for option in "$@"; do
  case "$option" in
    --windows) want_windows=1 ;;
    --fuzz) want_fuzz=1 ;;
    *) echo "setup: unknown option $option" >&2; exit 2 ;;
  esac
done

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# apt-get waits for a lock held by another apt run; -qq keeps its errors and warnings.
apt() { as_root env DEBIAN_FRONTEND=noninteractive apt-get -qq -o DPkg::Lock::Timeout=600 "$@"; }
apt_install() { apt install -y --no-install-recommends "$@" >/dev/null; }

backports_suite() { echo "$(. /etc/os-release && echo "$VERSION_CODENAME")-backports"; }

# The backports suite from the mirror the machine already uses.
add_backports_source() {
  local suite uris
  suite=$(backports_suite)
  grep -qs "$suite" /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources &&
    return 0
  uris=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "${uris:-http://deb.debian.org/debian}" "$suite" | as_root tee "/etc/apt/sources.list.d/$suite.sources" >/dev/null
  apt update
}

qemu_is_recent() {
  local version
  version=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null) || return 1
  dpkg --compare-versions "$version" ge "$qemu_min_version"
}

# Every i386 ELF program runs through qemu-i386 from now until the entry is removed
# (echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386) or the machine restarts. An entry made before
# qemu was upgraded still runs the old binary (F keeps it open): it is made again.
register_i386_emulation() {
  mountpoint -q "$binfmt" || as_root mount -t binfmt_misc binfmt_misc "$binfmt"
  [ "${1:-}" = again ] && [ -e "$binfmt/qemu-i386" ] && echo -1 | as_root tee "$binfmt/qemu-i386" >/dev/null
  [ -e "$binfmt/qemu-i386" ] && return 0
  echo "setup: this kernel cannot run 32-bit x86 programs: they run under qemu-i386" >&2
  printf '%s\n' "$i386_binfmt" | as_root tee "$binfmt/register" >/dev/null
}

runs_natively() { [ ! -e "$binfmt/qemu-i386" ] && "$wine32_loader" --version >/dev/null 2>&1; }

setup_windows() {
  dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  local need=($(missing "${windows_pkgs[@]}"))
  if [ "${#need[@]}" -gt 0 ]; then
    echo "setup: installing ${need[*]}" >&2
    apt update
    apt_install "${need[@]}"
  fi
  runs_natively && return 0

  local again=
  if ! qemu_is_recent; then
    echo "setup: 32-bit x86 programs run under qemu-i386: installing qemu-user from $(backports_suite)" >&2
    add_backports_source
    apt_install "qemu-user/$(backports_suite)"
    again=again
  fi
  register_i386_emulation $again
  "$wine32_loader" --version >/dev/null || { echo "setup: wine32 does not start" >&2; return 1; }
}

need=($(missing "${linux_pkgs[@]}"))
[ "$want_fuzz" -eq 0 ] || need+=($(missing "${fuzz_pkgs[@]}"))
if [ "${#need[@]}" -gt 0 ]; then
  echo "setup: installing ${need[*]}" >&2
  apt update
  apt_install "${need[@]}"
fi
[ "$want_windows" -eq 0 ] || setup_windows
