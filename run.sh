#!/usr/bin/env bash
# Builds the program in Release, lays out the demo installation under
# build/demo and starts the program there.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMINATORI_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)" --target demo
cd build/demo/MINATORI
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the program in a virtual X display (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1024x768x24" ./minatori
fi
exec ./minatori
