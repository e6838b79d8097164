#!/usr/bin/env bash
# The Windows build and its tests, with no Windows machine: cross-compiles torvik.dll (32-bit,
# MinGW), the C test host, the C++ example (examples/host_example.cpp) and the tool torvik.exe (both
# linked with the DLL's import library) into build-win32, checks their format, the DLL's exports,
# imports and version resource, and that the Windows zip holds them; then runs the host, the example
# and the tool's commands under wine32 in one fresh prefix, with the simulator of the Linux build
# (build/bin/torvik-sim, made by scripts/test.sh) behind the prefix's COM5.
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
if ! cmake --build "$dir" -j "$(nproc)" --target torvik win_host host_example_cpp torvik-cli; then
  fail "build torvik.dll, win_host.exe, host_example_cpp.exe and torvik.exe"
  finish
fi
ok "build torvik.dll, win_host.exe, host_example_cpp.exe and torvik.exe with warnings as errors"

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
expect "torvik.exe is a PE32 program for Intel 80386" is_pe32_i386 "$dir/bin/torvik.exe"
expect "torvik.dll exports exactly GetInstrumentAPI and SetUARTInterfaceFactory" exports_exactly_the_two
expect "torvik.dll imports only system DLLs" imports_only_system_dlls
expect "torvik.dll has a version resource" has_version_resource
# The tool is a host like any other: torvik.dll and system DLLs, nothing of the library's inside.
tool_imports_the_dll_and_system_dlls() {
  local imports
  imports=$(i686-w64-mingw32-objdump -p "$dir/bin/torvik.exe" | awk '/DLL Name:/ { print tolower($3) }')
  grep -qx torvik.dll <<<"$imports" && ! grep -qE '^(lib|zlib)' <<<"$imports"
}
expect "torvik.exe imports torvik.dll and only system DLLs" tool_imports_the_dll_and_system_dlls
zip_holds_the_shipped_files() {
  rm -f "$dir"/torvik-*-windows-*.zip
  (cd "$dir" && cpack -G ZIP >"$PWD/cpack.log" 2>&1) || return 1
  local listing
  listing=$(python3 -m zipfile -l "$dir"/torvik-*-windows-*.zip) || return 1
  local file
  for file in bin/torvik.exe bin/torvik.dll lib/libtorvik.dll.a include/torvik/instrument_api.h include/torvik/torvik.hpp; do
    grep -q "/$file " <<<"$listing" || { echo "not in the zip: $file"; return 1; }
  done
}
expect "the Windows zip holds torvik.exe, torvik.dll, the import library and the headers" zip_holds_the_shipped_files

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

# tool_run NAME EXPECTED-STATUS ARGS...: torvik.exe with ARGS in build-win32/bin, its stdout in
# tool.out (line ends without CR) and stderr in tool.err; counts NAME as passed when it exits with
# EXPECTED-STATUS and the check given in $tool_check (a command, may be empty) holds. Under a UTF-8
# locale, so that wine hands non-ASCII words of the command line to the program as they are.
tool_run() {
  local name=$1 expected=$2
  shift 2
  (cd "$dir/bin" && LC_ALL=C.UTF-8 timeout 300 "$wine32" torvik.exe "$@") >"$dir/tool.raw" 2>"$dir/tool.err.raw"
  local status=$?
  tr -d '\r' <"$dir/tool.raw" >"$dir/tool.out"
  tr -d '\r' <"$dir/tool.err.raw" >"$dir/tool.err"
  if [ "$status" -eq "$expected" ] && { [ -z "$tool_check" ] || eval "$tool_check"; }; then
    ok "torvik.exe $name"
  else
    cat "$dir/tool.out" "$dir/tool.err"
    fail "torvik.exe $name (exit status $status)"
  fi
}

json_value() { python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["device"]["switch_off"])' "$1"; }
zip_is_complete() {
  python3 - "$1" <<'PY'
import json, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    assert z.testzip() is None
    names = set(z.namelist())
    assert {"session.ddl", "gdcdatalogger.json"} <= names, names
    assert json.loads(z.read("gdcdatalogger.json"))["device"]["deviceSerialnumber"]
PY
}

# run_tool: the tool's commands against one simulator behind COM5, as a user runs them.
run_tool() {
  if [ ! -x "$sim" ]; then
    skip "torvik.exe commands: no simulator at $sim (build the Linux tree first: scripts/test.sh)"
    return
  fi
  start_simulator || { fail "start the simulator ($sim)"; return; }
  local request=$dir/bin/switch-off-request.json archive="$dir/bin/tool-datalog-ä€.zip"
  printf '{"version":"1.0.6","device":{"switch_off":null}}' >"$request"
  printf '{"version":"1.0.6","device":{"switch_off":"not allowed"}}' >"$dir/bin/switch-off-write.json"
  rm -f "$archive"
  tool_check='grep -q "\"serial_number\": \"2461-0137\"" "$dir/tool.out" && grep -q "\"state\": \"on\"" "$dir/tool.out"'
  tool_run "info --port COM5 shows the detector" 0 info --port "$port_name"
  tool_check='python3 -m json.tool "$dir/tool.out" >/dev/null && grep -q "\"switch_off\"" "$dir/tool.out"'
  tool_run "config read --port \\\\.\\COM5 prints the configuration document" 0 config read --port "\\\\.\\$port_name"
  tool_check='[ "$(json_value "$dir/tool.out")" = "not allowed" ]'
  tool_run "config write prints what the detector now holds" 0 config write switch-off-write.json --port "$port_name"
  tool_run "config read --request reads the written value back" 0 config read --request switch-off-request.json --port "$port_name"
  tool_check='zip_is_complete "$archive" && grep -q "datalog written to tool-datalog-ä€.zip" "$dir/tool.err"'
  tool_run "datalog read writes a ZIP archive (non-ASCII name) that a ZIP reader checks" 0 \
    datalog read -o "tool-datalog-ä€.zip" --port "$port_name"
  stop_simulator
  tool_check='grep -q "torvik ports" "$dir/tool.err"'
  tool_run "info without --port asks for a port and names 'torvik ports'" 2 info
  tool_check='grep -q "cannot open the serial port COM9: no such port" "$dir/tool.err"'
  tool_run "info --port COM9 (no such port) names the cause" 1 info --port COM9
  tool_check='grep -qE "^COM[0-9]+" "$dir/tool.out" || grep -q "no serial ports found" "$dir/tool.err"'
  tool_run "ports lists the COM ports the system reports" 0 ports
  tool_check=
}

for run in $(seq "$runs"); do
  label=
  [ "$runs" -gt 1 ] && label="run $run: "
  run_host "$label"
done
run_cpp_example
run_tool
finish
