#!/usr/bin/env bash
# Installs the Debian packages the Windows cross-build and its tests under
# wine need, only those missing. The native packages come from
# tools/install-deps.sh without arguments.
set -euo pipefail
exec "$(dirname "$0")/../install-deps.sh" \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev \
  qt6-base-dev-tools dpkg-dev googletest \
  wine wine64 xvfb xauth xdotool imagemagick zip unzip ninja-build \
  fonts-ipafont-gothic fonts-ipafont-mincho
