#!/usr/bin/env bash
# Installs what is missing, builds from a clean build folder and runs every
# test; then fuzzes each reader of outside data and runs the tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
jobs=$(nproc)

rm -rf build-test
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Release
cmake --build build-test -j"$jobs"
(cd build-test && ctest --output-on-failure -j2)

# The libFuzzer harnesses (clang), each for 20000 runs over its corpus.
rm -rf build-fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMINATORI_BUILD_FUZZ=ON -DMINATORI_BUILD_TESTS=OFF
cmake --build build-fuzz --target fuzzers -j"$jobs"
tools/fuzz.sh build-fuzz 20000 60

# The unit and window tests under the sanitizers. Built with clang, whose
# -fsanitize=undefined also checks float-to-integer conversions (g++'s does
# not), and so also checks that the whole project builds with clang.
# A report ends the test program with an error, so ctest fails.
rm -rf build-asan
sanitize="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMINATORI_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="$sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-asan -j"$jobs"
(
  cd build-asan
  # No strict_string_checks: libxkbcommon (under Qt's X11 platform, in the
  # end-to-end test) hands strndup buffers without a terminating zero.
  export ASAN_OPTIONS="abort_on_error=1:detect_stack_use_after_return=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp:print_suppressions=0"
  ctest --output-on-failure -j2
)
