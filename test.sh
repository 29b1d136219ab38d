#!/usr/bin/env bash
# Installs what is missing, builds from a clean build folder and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
rm -rf build-test
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Release
cmake --build build-test -j"$(nproc)"
cd build-test
ctest --output-on-failure -j2
