#!/usr/bin/env bash
# Builds the fuzz targets with clang (address and undefined-behaviour
# sanitizers) and runs each one for a fixed number of executions, seeded from
# a corpus the program writes itself. --quick runs a few thousand each.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=200000
[ "${1:-}" = "--quick" ] && runs=3000

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPALINDRA_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

seeds="$build/seeds"
rm -rf "$seeds"
"$build/fuzz/make_fuzz_corpus" "$seeds"

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in patch_file verdata data_files gump previews art hues bitmap_to_gump block_facts cli_args package anim apply \
              frames_json bake_package block_json static_tile convert map_radar; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/$target.log"
  # Inputs that once found a fault run again beside the seeds.
  regressions=()
  [ -d "fuzz/regressions/$target" ] && regressions=("fuzz/regressions/$target")
  if ! "$build/fuzz/fuzz_$target" -runs="$runs" -max_len=8192 -rss_limit_mb=2048 -malloc_limit_mb=512 \
       -print_final_stats=1 "$corpus" "$seeds/$target" "${regressions[@]}" >"$log" 2>&1; then
    echo "fuzz_$target found a problem:"
    tail -n 40 "$log"
    exit 1
  fi
  done_runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  echo "fuzz_$target: $done_runs executions, corpus $(ls "$corpus" | wc -l) files, no finding"
done
