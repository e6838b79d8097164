#!/usr/bin/env bash
# The test command: installs what is missing, builds everything with warnings as errors and runs
# the whole test suite. BUILD_DIR (default: build) selects the build directory; extra arguments
# go to ctest (for example -R Handle).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
jobs=$(nproc)

scripts/setup.sh
scripts/configure.sh "$build_dir"
cmake --build "$build_dir" -j "$jobs"
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" "$@"
