#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need, only those
# missing; given package names, installs those instead (only those missing).
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev libicu-dev libsdl2-dev
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  xvfb xauth xdotool libx11-dev
  clang libclang-rt-14-dev
)
[ $# -gt 0 ] && packages=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
