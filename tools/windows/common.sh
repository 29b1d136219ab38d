# Settings shared by the Windows scripts; sourced, not run.

# The versions of the Windows dependencies are those of the Debian packages
# the native build uses, so both builds run the same Qt and SDL.
source_of() { dpkg-query -W -f='${source:Package} ${source:Version}\n' "$1"; }
read -r QT_SOURCE QT_DEBVERSION < <(source_of qt6-base-dev)
read -r SDL_SOURCE SDL_DEBVERSION < <(source_of libsdl2-dev)

# The cross-built dependencies live outside the clone and are reused by every
# clone on this machine. Each is keyed by its Debian version and by a hash of
# the options it was built with, so a change of either builds it anew.
WINDOWS_CACHE=${MINATORI_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/minatori-windows}

TOOLS_WINDOWS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
TOOLCHAIN_FILE=$TOOLS_WINDOWS/mingw-w64-x86_64.cmake

# Qt's own Windows configuration, trimmed to what the program uses. Tablet
# events are off because Debian's repacked source lacks the tablet header the
# Windows platform plugin includes; Direct2D stays on (off breaks the link),
# FreeType stays on (the offscreen platform plugin needs it). Third-party
# libraries are Qt's bundled copies: nothing from the host can leak in.
QT_OPTIONS=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
  -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_xml=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=ON
  -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF
  -DFEATURE_harfbuzz=ON -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_zstd=OFF
)
SDL_OPTIONS=(
  -DCMAKE_BUILD_TYPE=Release
  -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF
)

options_hash() { printf '%s\n' "$@" | sha256sum | cut -c1-10; }
QT_PREFIX=$WINDOWS_CACHE/qtbase-$QT_DEBVERSION-$(options_hash "${QT_OPTIONS[@]}")
SDL_PREFIX=$WINDOWS_CACHE/sdl2-$SDL_DEBVERSION-$(options_hash "${SDL_OPTIONS[@]}")

# The host Qt whose tools (moc, rcc, uic) the cross-build runs.
QT_HOST_CMAKE_DIR=$(dirname "$(dirname "$(dpkg -L qt6-base-dev | grep -m1 '/cmake/Qt6/Qt6Config.cmake$')")")

JOBS=${MINATORI_JOBS:-$(nproc)}
