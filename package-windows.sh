#!/usr/bin/env bash
# Builds the program for 64-bit Windows on Debian 12 and packs it:
#   1. installs the Debian packages it needs (native and cross),
#   2. cross-builds Qt's qtbase and SDL2 from Debian's source packages into a
#      cache outside the clone (reused when present, see tools/windows),
#   3. builds the program and its tests for Windows, runs the tests under
#      wine, and
#   4. writes dist/minatori-<version>-windows-x64.zip: a program folder that
#      works as it stands, and
#   5. unpacks the zip and walks the end-to-end roads of the program under
#      wine on Xvfb with real X input.
# Each stage's time is printed; the whole log goes to build-windows.log too.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
exec > >(tee build-windows.log) 2>&1

stage_start=$SECONDS
stage() {
  echo "== $1 (after $((SECONDS - stage_start)) s)"
}

stage "Debian packages"
tools/install-deps.sh
tools/windows/install-deps.sh
source tools/windows/common.sh
export WINEPREFIX=${WINEPREFIX:-$WINDOWS_CACHE/wineprefix}

stage "Windows dependencies (Qt $QT_DEBVERSION, SDL $SDL_DEBVERSION)"
tools/windows/build-deps.sh

version=$(sed -n 's/^project(minatori .*VERSION \([0-9.]*\)).*/\1/p' CMakeLists.txt)
name=minatori-$version-windows-x64

stage "host tools"
# The icon tool, and the end-to-end test that drives the Windows program
# from the host through X11.
cmake -S . -B build-windows/host -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-windows/host --target makeicon realinput_test -j"$JOBS"
icon=$root/build-windows/minatori.ico
build-windows/host/tools/makeicon "$icon"

stage "program and tests for Windows"
cmake -S . -B build-windows/target -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$QT_PREFIX/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" \
  -DMINATORI_WINDOWS_PREFIXES="$QT_PREFIX;$SDL_PREFIX" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$QT_HOST_CMAKE_DIR" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/windows/wine-run.sh" \
  -DMINATORI_ICON="$icon" \
  -DMINATORI_LICENSES_DIRS="Qt=$QT_PREFIX/licenses;SDL2=$SDL_PREFIX/licenses;compiler-runtime=$root/build-windows/runtime-licenses"
mkdir -p build-windows/runtime-licenses
for pkg in gcc-mingw-w64-base gcc-mingw-w64-x86-64-posix-runtime mingw-w64-x86-64-dev; do
  cp "/usr/share/doc/$pkg/copyright" "build-windows/runtime-licenses/$pkg-copyright"
done
cmake --build build-windows/target -j"$JOBS"

stage "tests under wine"
tests_ok=0
ctest --test-dir build-windows/target --output-on-failure -j2 || tests_ok=$?
log=build-windows/target/Testing/Temporary/LastTest.log
echo "Tests not built for Windows:"
sed -n 's/^-- Not built for Windows: /  /p' build-windows.log | sort -u
echo "Tests skipped under wine, with their reasons:"
awk '/: Skipped$/ { getline reason; next }
     /^\[  SKIPPED \] [A-Za-z]/ && reason != "" { print "  " $4 ": " reason; reason = "" }
     /^SKIP   :/ { sub(/^SKIP   : /, ""); print "  " $0 }' "$log" | sort -u
if [ "$tests_ok" -ne 0 ]; then
  echo "Windows tests failed"
  exit 1
fi

# The window tests above run on the offscreen platform, which measures type
# with FreeType. The tests that check every caption of a window shown whole
# run again on the Windows platform, whose font engine measures the Windows
# way, on an X server for wine to show the windows on.
stage "the windows' captions with the Windows font engine, under wine on Xvfb"
caption_tests=(
  "startup_window_test splashShowsTheEraDateThenTheNameSelection"
  "namesel_window_test theVersionWindowOpensOverTheScreen"
  "seisekitime1_window_test theColumnsShowGoalsAndResults theGraphShowsTheSheetsAndATeacherPrintsThem"
  "mainfrm_window_test theDemoTableOnTheBoard"
  "frmsyuuryou_window_test aFirstAttemptIsAnAllTimeRecord"
  "frmtimedata_window_test opensOnTheFileAtTheFirstCell"
  "frmdata_window_test aDoubleClickOpensTheRecordAndAClickClosesIt"
)
captions=$root/build-windows/captions
rm -rf "$captions"
mkdir -p "$captions"
printf '%s\n' "${caption_tests[@]}" > "$captions/list"
captions_ok=0
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=windows bash -c '
  ok=0
  while read -r program functions; do
    out=$1/$program.txt
    # shellcheck disable=SC2086
    "$2/tools/windows/wine-run.sh" "$2/build-windows/target/tests/$program.exe" $functions \
      -o "Z:${out//\//\\},txt" >/dev/null 2>&1 || ok=1
    echo "  $program: $(grep -a "^Totals" "$out" || echo "no result")"
    grep -a "^FAIL" -A1 "$out" | iconv -c -f CP1252 -t UTF-8 || true
  done < "$1/list"
  exit $ok' captions "$captions" "$root" || captions_ok=$?
if [ "$captions_ok" -ne 0 ]; then
  echo "Captions cut off on the Windows platform"
  exit 1
fi

stage "package"
staging=build-windows/package/MINATORI
rm -rf build-windows/package
cmake --install build-windows/target --prefix "$staging" >/dev/null
# Debugging symbols stay out of the package (the compiler runtime's DLLs
# carry theirs): a third of the size.
find "$staging" \( -name '*.dll' -o -name '*.exe' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
if ! grep -q 'PerMonitorV2' "$staging/minatori.exe"; then
  echo "minatori.exe carries no manifest (tools/windows/minatori.rc.in)"
  exit 1
fi
{ printf '\xEF\xBB\xBF'; sed 's/$/\r/' tools/windows/README-Windows.txt; } > "$staging/README-Windows.txt"
# Where the exact sources of the shipped Qt and SDL DLLs come from, as the
# LGPL asks: README-Windows.txt points here.
{
  echo "The Qt and SDL2 DLLs of this program folder were built, unchanged, from"
  echo "these Debian source packages:"
  echo
  echo "  Qt (qtbase)  $QT_SOURCE $QT_DEBVERSION"
  echo "  SDL2         $SDL_SOURCE $SDL_DEBVERSION"
  echo
  echo "On Debian, with deb-src entries in the apt sources, these fetch them:"
  echo
  echo "  apt-get source $QT_SOURCE=$QT_DEBVERSION"
  echo "  apt-get source $SDL_SOURCE=$SDL_DEBVERSION"
  echo
  echo "Compiler: Debian's g++-mingw-w64-x86-64-posix" \
    "$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)."
  echo "Qt was configured with CMake and these options:"
  printf '  %s\n' "${QT_OPTIONS[@]}"
  echo "SDL2 was configured with CMake and these options:"
  printf '  %s\n' "${SDL_OPTIONS[@]}"
} | sed 's/$/\r/' > "$staging/licenses/SOURCES.txt"
mkdir -p dist
rm -f "dist/$name.zip"
(cd build-windows/package && zip -q -r -9 -X "$root/dist/$name.zip" MINATORI)
ls -l "dist/$name.zip"

# The end-to-end roads of the unpacked zip under wine on Xvfb, with real X
# input; MINATORI_WINDOWS_ROADS (a gtest filter) runs fewer of them.
stage "end-to-end roads of the unpacked zip under wine on Xvfb"
road=$root/build-windows/road
rm -rf "$road"
mkdir -p "$road/unpacked"
unzip -q "dist/$name.zip" -d "$road/unpacked"
road_ok=0
(cd "$road" && MINATORI_E2E_SCREENSHOTS=$road/screenshots "$root/build-windows/host/tests/realinput_test" \
  "$road/unpacked/MINATORI/minatori.exe" "$root/build-windows/target/tests/menustandin.exe" \
  "$root/build-windows/target/tests/holdfile.exe" --gtest_filter="${MINATORI_WINDOWS_ROADS:-*}") ||
  road_ok=$?
echo "Screenshots: $road/screenshots"
if [ "$road_ok" -ne 0 ]; then
  echo "The end-to-end road under wine failed"
  exit 1
fi
stage "done"
