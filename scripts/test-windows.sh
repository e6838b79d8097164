#!/usr/bin/env bash
# The Windows build and its tests, with no Windows machine: cross-compiles torvik.dll (32-bit,
# MinGW), the C test host and the C++ example (examples/host_example.cpp, linked with the DLL's
# import library) into build-win32, checks the DLL's format, exports, imports and version resource,
# then runs the host and the example under wine32 in one fresh prefix, with the simulator of the
# Linux build (build/bin/torvik-sim, made by scripts/test.sh) behind the prefix's COM5.
# Where the kernel cannot run 32-bit x86 programs, scripts/setup.sh --windows has them run under
# qemu-i386 (user-mode emulation), so the shipped DLL itself runs here too.
# TORVIK_SIM names another simulator program; WIN_HOST_RUNS (default 1) runs the host that many
# times in a row, each against a fresh simulator, in the same prefix.
# Prints one line per check and a closing "N passed, M failed"; exits 1 when a check failed.
set -uo pipefail
cd "$(dirname "$0")/.."

sim=${TORVIK_SIM:-build/bin/torvik-sim}
runs=${WIN_HOST_RUNS:-1}
dir=build-win32
dll=$dir/bin/torvik.dll
wine32=/usr/lib/wine/wine
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

stop_simulator() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  sim_pid=
}

export WINEPREFIX="$PWD/$dir/wineprefix" WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
cleanup() {
  stop_simulator
  [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null
  true
}
trap cleanup EXIT

# --- The DLL and the host ----------------------------------------------------------------------
scripts/setup.sh --windows || { fail "scripts/setup.sh --windows"; finish; }
mkdir -p "$dir"
if ! cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON \
     -DTORVIK_WERROR=ON >"$dir/configure.log" 2>&1; then
  cat "$dir/configure.log"
  fail "configure $dir"
  finish
fi
if ! cmake --build "$dir" -j "$(nproc)" --target torvik win_host host_example_cpp; then
  fail "build torvik.dll, win_host.exe and host_example_cpp.exe"
  finish
fi
ok "build torvik.dll, win_host.exe and host_example_cpp.exe with warnings as errors"

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
# A resource of type 16 (RT_VERSION); the host reads its values through the Win32 API below.
has_version_resource() {
  i686-w64-mingw32-objdump -p "$dll" | sed -n '/Resource Directory section/,$p' | grep -q 'Entry: ID: 0x000010,'
}
expect "torvik.dll is a PE32 DLL for Intel 80386" is_pe32_i386 "$dll"
expect "win_host.exe is a PE32 program for Intel 80386" is_pe32_i386 "$dir/bin/win_host.exe"
expect "host_example_cpp.exe is a PE32 program for Intel 80386" is_pe32_i386 "$dir/bin/host_example_cpp.exe"
expect "torvik.dll exports exactly GetInstrumentAPI and SetUARTInterfaceFactory" exports_exactly_the_two
expect "torvik.dll imports only system DLLs" imports_only_system_dlls
expect "torvik.dll has a version resource" has_version_resource

# --- The host under wine32 ---------------------------------------------------------------------
if ! "$wine32" --version >/dev/null 2>&1; then
  fail "wine32 starts ($wine32; scripts/setup.sh --windows as root sets it up)"
  finish
fi
rm -rf "$WINEPREFIX"
if ! timeout 300 "$wine32" wineboot -i >"$dir/wineboot.log" 2>&1; then
  cat "$dir/wineboot.log"
  fail "create a wine32 prefix"
  finish
fi
ok "create a wine32 prefix ($("$wine32" --version))"

# start_simulator: the simulator on a new pty, behind the prefix's COM5; false when it did not start.
start_simulator() {
  "$sim" >"$dir/sim.out" 2>"$dir/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do
    [ -s "$dir/sim.out" ] && break
    sleep 0.1
  done
  local pty
  pty=$(head -n 1 "$dir/sim.out")
  [ -n "$pty" ] && ln -sfn "$pty" "$WINEPREFIX/dosdevices/${port_name,,}"
}

# run_host <label>: the host once, its checks counted with the others.
run_host() {
  local port_args=() log="$dir/win_host.log"
  if [ ! -x "$sim" ]; then
    skip "serial checks: no simulator at $sim (build the Linux tree first: scripts/test.sh)"
  elif start_simulator; then
    port_args=("$port_name" Asia/Tokyo)
  else
    fail "start the simulator ($sim)"
  fi
  # wine gives the Windows zone whose rules match the host's (TZ): for Asia/Tokyo that is
  # "Tokyo Standard Time", which the DLL must report as "Asia/Tokyo" (the host's second argument).
  # A Windows console program ends its lines with CR LF.
  (cd "$dir/bin" && TZ=Asia/Tokyo timeout 300 "$wine32" win_host.exe "${port_args[@]}") 2>&1 |
    tr -d '\r' >"$log"
  local status=${PIPESTATUS[0]}
  stop_simulator
  sed -n "s/^\(ok\|FAIL\|skip\) - /\1 - $1/p" "$log"
  passed=$((passed + $(grep -c '^ok - ' "$log")))
  failed=$((failed + $(grep -c '^FAIL - ' "$log")))
  skipped=$((skipped + $(grep -c '^skip - ' "$log")))
  if ! grep -qE '^[0-9]+ passed, [0-9]+ failed$' "$log"; then
    cat "$log"
    fail "${1}win_host.exe ran to the end (exit status $status)"
  fi
}

is_zip() { [ "$(head -c 4 "$1" 2>/dev/null)" = $'PK\x03\x04' ]; }

# run_cpp_example: the C++ example reads the configuration and the datalog through COM5, once.
run_cpp_example() {
  local out=$dir/host_example_cpp.out err=$dir/host_example_cpp.err archive=$dir/bin/host_example_cpp.zip
  local name="host_example_cpp.exe reads the configuration and the datalog into a ZIP archive"
  if [ ! -x "$sim" ]; then
    skip "$name: no simulator at $sim (build the Linux tree first: scripts/test.sh)"
    return
  fi
  start_simulator || { fail "start the simulator ($sim)"; return; }
  rm -f "$archive"
  (cd "$dir/bin" && timeout 300 "$wine32" host_example_cpp.exe "$port_name" host_example_cpp.zip) >"$out" 2>"$err"
  local status=$?
  stop_simulator
  if [ "$status" -eq 0 ] && grep -q '"switch_off"' "$out" && is_zip "$archive"; then
    ok "$name"
  else
    tr -d '\r' <"$err"
    fail "$name (exit status $status)"
  fi
}

for run in $(seq "$runs"); do
  label=
  [ "$runs" -gt 1 ] && label="run $run: "
  run_host "$label"
done
run_cpp_example
finish
