#!/usr/bin/env bash
# Cross-builds Qt's qtbase and SDL2 for 64-bit Windows from Debian's own
# source packages into the cache (see common.sh), unless they are there.
# A prefix counts as built only once its stamp file exists, so an interrupted
# build is started again from the beginning.
set -euo pipefail
source "$(dirname "$0")/common.sh"

build_one() { # name prefix source version configure-args...
  local name=$1 prefix=$2 package=$3 version=$4; shift 4
  if [ -e "$prefix/.built" ]; then
    echo "$name: cached in $prefix"
    return
  fi
  local work=$prefix.work start=$SECONDS
  rm -rf "$prefix" "$work"
  mkdir -p "$work"
  echo "$name: fetching $package $version"
  "$TOOLS_WINDOWS/fetch-source.sh" "$package" "$version" "$work/src"
  local srcdir
  srcdir=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d | head -n1)
  echo "$name: configuring"
  cmake -S "$srcdir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
  echo "$name: building with $JOBS jobs"
  cmake --build "$work/build" -j"$JOBS"
  cmake --install "$work/build"
  # The licence texts travel with the binaries into the package.
  mkdir -p "$prefix/licenses"
  cp "$srcdir/debian/copyright" "$prefix/licenses/debian-copyright"
  for f in LICENSES/LGPL-3.0-only.txt LICENSES/GPL-3.0-only.txt LICENSE.txt; do
    [ -e "$srcdir/$f" ] && cp "$srcdir/$f" "$prefix/licenses/"
  done
  echo "$package $version" > "$prefix/.built"
  rm -rf "$work"
  echo "$name: built in $((SECONDS - start)) s"
}

build_one SDL2 "$SDL_PREFIX" "$SDL_SOURCE" "$SDL_DEBVERSION" "${SDL_OPTIONS[@]}"
build_one Qt "$QT_PREFIX" "$QT_SOURCE" "$QT_DEBVERSION" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$QT_HOST_CMAKE_DIR" \
  "${QT_OPTIONS[@]}"
