#!/usr/bin/env bash
# Builds the program in Release, lays out the demo installation under
# build/demo and starts the program there.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMINATORI_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)" --target demo
cd build/demo/MINATORI
# A machine with no sound card and no sound server (a build server, say) would
# fail every sound; SDL's dummy driver keeps the demo usable there.
if [ -z "${SDL_AUDIODRIVER:-}" ] && ! ls /dev/snd/pcm* >/dev/null 2>&1 \
   && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ] \
   && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pipewire-0" ]; then
  echo "No sound device found: the demo plays its sounds silently (SDL_AUDIODRIVER=dummy)."
  export SDL_AUDIODRIVER=dummy
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the program in a virtual X display (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1024x768x24" ./minatori
fi
exec ./minatori
