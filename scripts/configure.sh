#!/usr/bin/env bash
# Configures a build directory the way the README's commands build: Release (what packagers build),
# warnings as errors, and unity builds of the library (one compiler run per batch of sources, which
# halves the build time; the test programs build file by file). Extra arguments go to cmake.
# usage: scripts/configure.sh BUILD_DIR [cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$1
shift
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTORVIK_WERROR=ON -DCMAKE_UNITY_BUILD=ON "${launcher[@]}" "$@" >/dev/null
