#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs the whole test suite, then a short bounded
# fuzzing run when the fuzz targets are part of the tree.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD=${ORV_TEST_BUILD:-build-test}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_SANITIZE=ON
ninja -C "$BUILD" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 300
if [ -x fuzz/run.sh ]; then
  ORV_FUZZ_SECONDS=${ORV_FUZZ_SECONDS:-20} fuzz/run.sh
fi
