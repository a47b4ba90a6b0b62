#!/usr/bin/env bash
# Installs the dependencies, builds TAMORI and runs the whole test suite.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=build
cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ ${1:-} == --sanitize ]]; then
  build_dir=build-asan
  cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DTAMORI_SANITIZE=ON -DTAMORI_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
scripts/install-deps.sh
cmake -S . -B "$build_dir" "${cmake_args[@]}"
cmake --build "$build_dir" -j"$(nproc)"
# Window tests need a display: run everything under a virtual X server.
xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
