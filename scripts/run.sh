#!/usr/bin/env bash
# Builds the editor and starts it. Without a display it starts the editor on
# a virtual one to show that it runs, then opens the sample patch in the main
# window there and saves pictures of it, and prints where they are.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target palindra palindra-cli palindra-cli-pictures palindra-screenshots

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/palindra
fi

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
build/palindra-cli make-samples build/samples >/dev/null
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  build/palindra & pid=$!
  sleep 2
  kill -0 $pid || { echo "The editor did not start." >&2; exit 1; }
  kill $pid
  build/palindra-screenshots build/samples build/screenshots >/dev/null
'
echo "No display: the editor started on a virtual display."
echo "Screenshot of the main window with the sample patch: $PWD/build/screenshots/main-window.png"
