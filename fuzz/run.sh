#!/usr/bin/env bash
# Builds the fuzz targets with Clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# (in build-fuzz/) and runs each target for a bounded time, starting from its corpus in
# fuzz/corpus/<target>/, one target per core at a time. New inputs go to a scratch directory, not
# into the repository; a crash or a broken invariant fails the script with the reproducer in
# build-fuzz/artifacts/.
# Usage: fuzz/run.sh [seconds per target (default 60)] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
if [ "$#" -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

scripts/setup.sh --fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVIK_LIBFUZZER=ON \
  -DTORVIK_SANITIZE=ON -DTORVIK_BUILD_TESTS=OFF -DCMAKE_UNITY_BUILD=ON "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"

mkdir -p build-fuzz/artifacts
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# One target: its final figures, or the end of its log and the place of the reproducer.
fuzz_target() {
  local target=$1 log="build-fuzz/artifacts/$1.log"
  mkdir -p "$scratch/$target"
  echo "== $target: ${seconds} s"
  if ! build-fuzz/bin/"$target" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="build-fuzz/artifacts/$target-" "$scratch/$target" "fuzz/corpus/${target#fuzz_}" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "$target: finding, reproducer in build-fuzz/artifacts/" >&2
    return 1
  fi
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::(number_of_executed_units|average_exec_per_sec))' "$log"
}

# As many targets at a time as there are cores; each prints its lines when it ends.
status=0
batch=$(nproc)
for ((first = 0; first < ${#targets[@]}; first += batch)); do
  pids=()
  for target in "${targets[@]:first:batch}"; do
    fuzz_target "$target" >"$scratch/$target.out" 2>&1 &
    pids+=($!)
  done
  for i in "${!pids[@]}"; do
    wait "${pids[$i]}" || status=1
    cat "$scratch/${targets[first + i]}.out"
  done
done
exit "$status"
