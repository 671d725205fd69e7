#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer, and runs each
# for $RAVLEN_FUZZ_SECONDS seconds (default 120).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${RAVLEN_SKIP_INSTALL:-}" != "1" ]; then
    bash scripts/install-deps.sh
    SUDO=""; if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO apt-get install -y --no-install-recommends clang libclang-rt-14-dev
fi
build_dir=build-fuzz
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DRAVLEN_FUZZ=ON -DRAVLEN_BUILD_TESTS=OFF -DRAVLEN_BUILD_BENCHMARKS=OFF
cmake --build "$build_dir"
for fuzzer in "$build_dir"/fuzz/*/fuzz_*; do
    [ -f "$fuzzer" ] && [ -x "$fuzzer" ] || continue
    corpus="$build_dir/corpus/$(basename "$fuzzer")"
    mkdir -p "$corpus"
    echo "== $fuzzer"
    "$fuzzer" -max_total_time="${RAVLEN_FUZZ_SECONDS:-120}" "$corpus"
done
