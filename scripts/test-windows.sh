#!/usr/bin/env bash
# The Windows build and its tests, with no Windows machine: cross-compiles torvik.dll (32-bit,
# MinGW) and the C test host into build-win32, checks the DLL's format, exports and imports, then
# runs the host under wine32 in a fresh prefix, with the simulator of the Linux build
# (build/bin/torvik-sim, made by scripts/test.sh) behind the prefix's COM5.
# Prints one line per check and a closing "N passed, M failed"; exits 1 when a check failed.
set -uo pipefail
cd "$(dirname "$0")/.."

build=build-win32
dll=$build/bin/torvik.dll
host=$build/bin/win_host.exe
sim=build/bin/torvik-sim
port_name=COM5
factory_symbol=_ZN12devlib_instr23SetUARTInterfaceFactoryEP12InstrContextPNS_28AbstractUartInterfaceFactoryE

passed=0
failed=0
skipped=0
sim_pid=

ok() { echo "ok - $1"; passed=$((passed + 1)); }
fail() { echo "FAIL - $1"; failed=$((failed + 1)); }
skip() { echo "skip - $1"; skipped=$((skipped + 1)); }
expect() {
  local name=$1
  shift
  if "$@"; then ok "$name"; else fail "$name"; fi
}

finish() {
  echo "windows: $passed passed, $failed failed, $skipped skipped"
  [ "$failed" -eq 0 ]
  exit
}

cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  [ -d "${WINEPREFIX:-/nonexistent}" ] && wineserver -k 2>/dev/null
  true
}
trap cleanup EXIT

# --- Build -------------------------------------------------------------------------------------
scripts/setup.sh --windows || { fail "setup.sh --windows"; finish; }
mkdir -p "$build"
if ! cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DTORVIK_WERROR=ON >"$build/configure.log" 2>&1; then
  cat "$build/configure.log"
  fail "configure the Windows build"
  finish
fi
if ! cmake --build "$build" -j "$(nproc)" --target torvik win_host; then
  fail "build torvik.dll and win_host.exe"
  finish
fi
ok "build torvik.dll and win_host.exe with warnings as errors"

# --- The DLL as a file -------------------------------------------------------------------------
is_pe32_i386() { file -b "$1" | grep -q '^PE32 executable' && file -b "$1" | grep -q 'Intel 80386'; }
exports() {
  i686-w64-mingw32-objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    awk 'NR > 1 && NF { print $NF }' | sort
}
exports_exactly_the_two() {
  [ "$(exports)" = "$(printf '%s\n' GetInstrumentAPI "$factory_symbol" | sort)" ]
}
# Stands alone: no MinGW runtime (libgcc, libstdc++, libwinpthread) and no zlib DLL beside it.
imports_only_system_dlls() {
  ! i686-w64-mingw32-objdump -p "$dll" | awk '/DLL Name:/ { print tolower($3) }' | grep -qE '^(lib|zlib)'
}
expect "torvik.dll is a PE32 DLL for Intel 80386" is_pe32_i386 "$dll"
expect "win_host.exe is a PE32 program for Intel 80386" is_pe32_i386 "$host"
expect "torvik.dll exports exactly GetInstrumentAPI and SetUARTInterfaceFactory" exports_exactly_the_two
expect "torvik.dll imports only system DLLs" imports_only_system_dlls

# --- The host under wine32 ---------------------------------------------------------------------
export WINEPREFIX="$PWD/$build/wineprefix" WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
rm -rf "$WINEPREFIX"
if ! timeout 300 wineboot -i >"$build/wineboot.log" 2>&1; then
  if ! wine --version >/dev/null 2>&1; then
    skip "wine32 host checks: this machine's kernel cannot run 32-bit programs, so wine32 cannot start"
  else
    cat "$build/wineboot.log"
    fail "create a wine32 prefix"
  fi
  finish
fi

port_args=()
if [ -x "$sim" ]; then
  # Small datalog pages keep each reply short: the message handler reads a reply one byte per
  # ReadFile within a 500 ms deadline, and every ReadFile is a round trip to the wine server.
  "$sim" --page-size 64 >"$build/sim.out" 2>"$build/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do
    [ -s "$build/sim.out" ] && break
    sleep 0.1
  done
  pty=$(head -n 1 "$build/sim.out")
  if [ -n "$pty" ]; then
    ln -sfn "$pty" "$WINEPREFIX/dosdevices/${port_name,,}"
    port_args=("$port_name")
  else
    fail "start the simulator ($sim)"
  fi
else
  skip "serial checks: no simulator at $sim (build the Linux tree first: scripts/test.sh)"
fi

(cd "$build/bin" && timeout 300 wine win_host.exe "${port_args[@]}") >"$build/win_host.log" 2>&1
host_status=$?
grep -E '^(ok|FAIL|skip) - ' "$build/win_host.log"
passed=$((passed + $(grep -c '^ok - ' "$build/win_host.log")))
failed=$((failed + $(grep -c '^FAIL - ' "$build/win_host.log")))
skipped=$((skipped + $(grep -c '^skip - ' "$build/win_host.log")))
if ! grep -qE '^[0-9]+ passed, [0-9]+ failed$' "$build/win_host.log"; then
  cat "$build/win_host.log"
  fail "win_host.exe ran to the end (exit status $host_status)"
fi
finish
