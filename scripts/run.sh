#!/usr/bin/env bash
# The main job: installs what is missing, builds the torvik tool and runs it against the built-in
# simulated detector: the device identity, the whole configuration document, and a datalog
# read-out into a ZIP archive, whose entries are listed.
# BUILD_DIR (default: build) selects the build directory.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}

scripts/setup.sh
scripts/configure.sh "$build_dir"
cmake --build "$build_dir" -j "$(nproc)" --target torvik-cli
torvik="$build_dir/bin/torvik"

out_dir=$(mktemp -d)
trap 'rm -rf "$out_dir"' EXIT

echo "== torvik info"
"$torvik" info
echo "== torvik config read"
"$torvik" config read
echo "== torvik datalog read -o $out_dir/datalog.zip"
"$torvik" datalog read -o "$out_dir/datalog.zip"
python3 -m zipfile -l "$out_dir/datalog.zip"
