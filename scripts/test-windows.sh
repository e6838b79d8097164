#!/usr/bin/env bash
# The Windows build and its tests, with no Windows machine: cross-compiles torvik.dll (32-bit,
# MinGW) and the C test host into build-win32, checks the DLL's format, exports and imports, then
# runs the host under wine32 in a fresh prefix, with the simulator of the Linux build
# (build/bin/torvik-sim, made by scripts/test.sh) behind the prefix's COM5.
# wine32 needs a kernel that runs 32-bit x86 programs. Where the kernel cannot, the wine32 run is
# reported as skipped and the same sources, built as a 64-bit DLL (build-win64), run the same host
# under wine64 instead, so the Win32 code is still exercised.
# Prints one line per check and a closing "N passed, M failed"; exits 1 when a check failed.
set -uo pipefail
cd "$(dirname "$0")/.."

sim=${TORVIK_SIM:-build/bin/torvik-sim}  # TORVIK_SIM: another Linux build's simulator
port_name=COM5
factory_symbol=_ZN12devlib_instr23SetUARTInterfaceFactoryEP12InstrContextPNS_28AbstractUartInterfaceFactoryE

passed=0
failed=0
skipped=0
sim_pid=
prefixes=()

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
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  sim_pid=
}

cleanup() {
  stop_simulator
  local prefix
  for prefix in "${prefixes[@]}"; do WINEPREFIX=$prefix wineserver -k 2>/dev/null; done
  true
}
trap cleanup EXIT

# build <build dir> <toolchain file>: torvik.dll and win_host.exe; false on failure.
build() {
  mkdir -p "$1"
  if ! cmake -S . -B "$1" -DCMAKE_TOOLCHAIN_FILE="$2" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVIK_WERROR=ON \
       >"$1/configure.log" 2>&1; then
    cat "$1/configure.log"
    fail "configure $1"
    return 1
  fi
  if ! cmake --build "$1" -j "$(nproc)" --target torvik win_host; then
    fail "build torvik.dll and win_host.exe in $1"
    return 1
  fi
  ok "build torvik.dll and win_host.exe in $1 with warnings as errors"
}

# run_host <build dir> <wine loader> <WINEARCH>: the host under wine, against the simulator.
run_host() {
  local dir=$1 loader=$2
  export WINEPREFIX="$PWD/$dir/wineprefix" WINEARCH=$3 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
  rm -rf "$WINEPREFIX"
  prefixes+=("$WINEPREFIX")
  if ! timeout 300 "$loader" wineboot -i >"$dir/wineboot.log" 2>&1; then
    cat "$dir/wineboot.log"
    fail "create a $3 wine prefix"
    return
  fi

  local port_args=()
  if [ -x "$sim" ]; then
    # Small datalog pages keep each reply short: the message handler reads a reply one byte per
    # ReadFile within a 500 ms deadline, and every ReadFile is a round trip to the wine server.
    "$sim" --page-size 64 >"$dir/sim.out" 2>"$dir/sim.err" &
    sim_pid=$!
    for _ in $(seq 100); do
      [ -s "$dir/sim.out" ] && break
      sleep 0.1
    done
    local pty
    pty=$(head -n 1 "$dir/sim.out")
    if [ -n "$pty" ]; then
      ln -sfn "$pty" "$WINEPREFIX/dosdevices/${port_name,,}"
      port_args=("$port_name")
    else
      fail "start the simulator ($sim)"
    fi
  else
    skip "serial checks: no simulator at $sim (build the Linux tree first: scripts/test.sh)"
  fi

  # A Windows console program ends its lines with CR LF.
  (cd "$dir/bin" && timeout 300 "$loader" win_host.exe "${port_args[@]}") 2>&1 | tr -d '\r' >"$dir/win_host.log"
  local status=${PIPESTATUS[0]}
  stop_simulator
  grep -E '^(ok|FAIL|skip) - ' "$dir/win_host.log"
  passed=$((passed + $(grep -c '^ok - ' "$dir/win_host.log")))
  failed=$((failed + $(grep -c '^FAIL - ' "$dir/win_host.log")))
  skipped=$((skipped + $(grep -c '^skip - ' "$dir/win_host.log")))
  if ! grep -qE '^[0-9]+ passed, [0-9]+ failed$' "$dir/win_host.log"; then
    cat "$dir/win_host.log"
    fail "win_host.exe ran to the end under $3 wine (exit status $status)"
  fi
}

# --- The 32-bit DLL ----------------------------------------------------------------------------
scripts/setup.sh --windows || { fail "setup.sh --windows"; finish; }
build build-win32 cmake/mingw-i686.cmake || finish

dll=build-win32/bin/torvik.dll
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
expect "win_host.exe is a PE32 program for Intel 80386" is_pe32_i386 build-win32/bin/win_host.exe
expect "torvik.dll exports exactly GetInstrumentAPI and SetUARTInterfaceFactory" exports_exactly_the_two
expect "torvik.dll imports only system DLLs" imports_only_system_dlls

# --- The host under wine -----------------------------------------------------------------------
if wine --version >/dev/null 2>&1; then
  run_host build-win32 wine win32
else
  skip "wine32 host checks: this machine's kernel cannot run 32-bit programs"
  echo "== the same sources as a 64-bit DLL under wine64"
  build build-win64 cmake/mingw-x86_64.cmake && run_host build-win64 /usr/lib/wine/wine64 win64
fi
finish
