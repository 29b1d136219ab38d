#!/usr/bin/env bash
# wine-run.sh PROGRAM.exe [ARGUMENTS…]
# Runs a Windows program of the cross-build under wine and exits with its
# exit code: the build's emulator (CMake's CROSSCOMPILING_EMULATOR), so
# ctest and the build's generator steps run through it.
#
# Wine passes the environment on, but for every variable whose name begins
# with QT_: those are set again inside, through a batch file run by wine's
# cmd. The offscreen platform finds fonts only in QT_QPA_FONTDIR, so that
# names a folder with the IPA fonts unless the caller names another.
set -euo pipefail
source "$(dirname "$0")/common.sh"

export WINEPREFIX=${WINEPREFIX:-$WINDOWS_CACHE/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs in a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
# Tests that meet a limit of wine itself skip themselves on this, with the reason.
export MINATORI_UNDER_WINE=1

windows_path() { # an absolute host path as wine's Z: drive sees it
  case $1 in
    /*) printf 'Z:%s' "${1//\//\\}" ;;
    *) printf '%s' "$1" ;;
  esac
}

fonts=$WINDOWS_CACHE/fonts
if [ ! -d "$fonts" ]; then
  mkdir -p "$fonts.tmp"
  for f in /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf /usr/share/fonts/opentype/ipafont-mincho/ipam.ttf; do
    [ -e "$f" ] && ln -sf "$f" "$fonts.tmp/"
  done
  mv -T "$fonts.tmp" "$fonts" 2>/dev/null || rm -rf "$fonts.tmp"
fi
export QT_QPA_FONTDIR=${QT_QPA_FONTDIR:-$(windows_path "$fonts")}

# A program of the build folder finds its DLLs where they were built: Qt,
# SDL and the compiler's runtime. A packed program has them beside it and
# must find them there alone: MINATORI_WINE_PACKED=1 says so.
if [ "${MINATORI_WINE_PACKED:-0}" != 1 ]; then
  runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
  winpthread=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
  dll_path="$(windows_path "$QT_PREFIX/bin");$(windows_path "$SDL_PREFIX/bin");$(windows_path "$runtime");$(windows_path "$winpthread")"
  export WINEPATH=${WINEPATH:+$WINEPATH;}$dll_path
fi

if [ ! -e "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w || true
fi

# The batch file holds only the settings: the command itself reaches cmd as
# its own arguments ("%*"), converted from UTF-8 by wine, since cmd reads a
# batch file in the console's code page, where Japanese folder names break.
export LC_ALL=C.UTF-8
batch_dir=$(mktemp -d)
trap 'rm -rf "$batch_dir"' EXIT
batch=$batch_dir/run.bat
{
  printf '@echo off\r\n'
  while IFS='=' read -r name value; do
    printf 'set "%s=%s"\r\n' "$name" "${value//%/%%}"
  done < <(env | grep -E '^QT_[A-Za-z0-9_]*=' || true)
  printf '%%*\r\nexit /b %%ERRORLEVEL%%\r\n'
} > "$batch"
program=$(windows_path "$1")
shift
rc=0
wine cmd /c "$(windows_path "$batch")" "$program" "$@" || rc=$?
exit "$rc"
