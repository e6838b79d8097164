#!/usr/bin/env bash
# The main job: installs what is missing, builds the library and runs the example host, which
# loads the API table and prints the library version and the number of slots.
# BUILD_DIR (default: build) selects the build directory.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}

scripts/setup.sh
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target print_api
"$build_dir/bin/print_api"
