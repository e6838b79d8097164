#!/usr/bin/env bash
# Hosts of an installed torvik: builds the C example (examples/host_example.c) and the C++ one
# (examples/host_example.cpp, on torvik/torvik.hpp) twice each, once found through
# find_package(torvik CONFIG) and once through pkg-config, runs all four against `torvik sim` of the
# same installation, and checks the library's soname with readelf; then the installed Python
# binding, imported outside the source tree, against the same simulator (tests/install/python_host.py).
#
# usage: consumer.sh BUILD_DIR     installs BUILD_DIR into a temporary prefix and uses that
#        consumer.sh --installed   uses the installed package (the .deb: /usr)
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR | --installed" >&2; exit 2; }
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
example=$source_dir/examples/host_example.c
example_cpp=$source_dir/examples/host_example.cpp
work=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill -INT "$sim_pid" 2>/dev/null || true; wait "$sim_pid" || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The package installs the binding for Debian's python3 (PATH may name another Python first).
python=python3
if [ "$1" = --installed ]; then
  prefix=/usr
  tool=$(command -v torvik)
  python=/usr/bin/python3
else
  prefix=$work/prefix
  cmake --install "$1" --prefix "$prefix" >/dev/null
  tool=$prefix/bin/torvik
  export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name torvik.pc)")
  # Python finds the binding of a prefix other than /usr only when told where.
  export PYTHONPATH=$prefix/lib/python3/dist-packages
fi
echo "consumer: torvik from $prefix"

# 1. find_package(torvik CONFIG) and the imported target torvik::torvik.
mkdir "$work/cmake-host"
cat > "$work/cmake-host/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(torvik_consumer C CXX)
find_package(torvik 2 CONFIG REQUIRED)
add_executable(host_example "$example")
target_link_libraries(host_example PRIVATE torvik::torvik)
add_executable(host_example_cpp "$example_cpp")
target_compile_features(host_example_cpp PRIVATE cxx_std_20)
target_link_libraries(host_example_cpp PRIVATE torvik::torvik)
CMAKE
cmake -S "$work/cmake-host" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
echo "consumer: built with find_package(torvik)"

# 2. pkg-config --cflags --libs torvik.
libdir=$(pkg-config --variable=libdir torvik)
# shellcheck disable=SC2046  # the flags are separate words
cc -std=c11 -o "$work/pc-host" "$example" $(pkg-config --cflags --libs torvik) -Wl,-rpath,"$libdir"
# shellcheck disable=SC2046
c++ -std=c++20 -o "$work/pc-host-cpp" "$example_cpp" $(pkg-config --cflags --libs torvik) -Wl,-rpath,"$libdir"
echo "consumer: built with pkg-config (version $(pkg-config --modversion torvik))"

# 3. The soname: the major of the API table.
readelf -d "$libdir/libtorvik.so" | grep -F 'Library soname: [libtorvik.so.2]'

# 4. The hosts against the installed tool's simulated detector; the C++ ones also read the datalog.
mkfifo "$work/sim-port"
"$tool" sim > "$work/sim-port" 2>/dev/null &
sim_pid=$!
read -r port < "$work/sim-port"
for host in "$work/cmake-build/host_example" "$work/pc-host"; do
  "$host" "$port" > "$work/out.json"
  grep -q '"switch_off"' "$work/out.json" || { echo "consumer: $host printed no switch_off" >&2; exit 1; }
  echo "consumer: $(basename "$host") read the configuration from $port"
done
for host in "$work/cmake-build/host_example_cpp" "$work/pc-host-cpp"; do
  archive=$work/$(basename "$host").zip
  "$host" "$port" "$archive" > "$work/out.json" 2> "$work/err.log" || { cat "$work/err.log" >&2; exit 1; }
  grep -q '"switch_off"' "$work/out.json" || { echo "consumer: $host printed no switch_off" >&2; exit 1; }
  [ "$(head -c 4 "$archive")" = $'PK\x03\x04' ] || { echo "consumer: $host left no archive" >&2; exit 1; }
  echo "consumer: $(basename "$host") read the configuration and the datalog from $port"
done

# 5. The Python binding from outside the source tree, as a script of a user would import it.
(cd "$work" && env -u TORVIK_LIB "$python" "$source_dir/tests/install/python_host.py" "$port" "$source_dir")
echo "consumer: passed"
