#!/usr/bin/env bash
# Makes the pictures of docs/ anew: the main window with a gump preview, the
# gump zoomed 4x, hue swatches, a tiledata table, the animation player, the map
# view and the import dialog, on a virtual display, from the program's sample files.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target palindra-cli palindra-screenshots
# Fresh samples each time: make-samples writes only into a new or empty folder.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
build/palindra-cli make-samples "$scratch/samples" >/dev/null
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$scratch}"
xvfb-run -a -s "-screen 0 1024x768x24" build/palindra-screenshots "$scratch/samples" docs
