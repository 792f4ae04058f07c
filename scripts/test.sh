#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every
# test: once in a normal build and once under address and undefined-behaviour
# sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DPALINDRA_WERROR=ON
cmake --build build -j "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPALINDRA_WERROR=ON \
      -DPALINDRA_SANITIZE=ON -DPALINDRA_BENCH=OFF
cmake --build build-sanitize -j "$jobs"
# Qt and the font libraries keep caches for the life of the process; leaks are
# not what this pass looks for.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

# The fuzz targets, a few thousand executions each, so they keep building and running.
fuzz/run.sh --quick
