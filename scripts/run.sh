#!/usr/bin/env bash
# Builds the editor and starts it. Without a display it runs the editor on a
# virtual one, saves a screenshot of the main window and prints where.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target palindra palindra-grab-screen

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/palindra
fi

shot="$PWD/docs/screenshot-main-window.png"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
mkdir -p docs
xvfb-run -a -s "-screen 0 900x620x24" bash -c '
  build/palindra & pid=$!
  sleep 3
  build/palindra-grab-screen "$1"
  kill $pid
' _ "$shot"
echo "No display: the editor ran on a virtual display. Screenshot: $shot"
