#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer, UndefinedBehaviorSanitizer and leak checking in a build folder of
# its own (build-asan) and runs it headless. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${RAVLEN_SKIP_INSTALL:-}" != "1" ]; then bash scripts/install-deps.sh; fi
build_dir="${RAVLEN_SANITIZER_BUILD_DIR:-build-asan}"
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAVLEN_BUILD_BENCHMARKS=OFF \
      -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build "$build_dir"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build_dir"
ctest --output-on-failure -j "$(nproc)" --timeout 1800
