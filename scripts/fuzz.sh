#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer, and runs each for a
# given time; a finding stops that target with its input saved under build-fuzz/findings/ and makes the script fail.
#
#   bash scripts/fuzz.sh                      every target, 600 s each
#   bash scripts/fuzz.sh 60                   every target, 60 s each
#   bash scripts/fuzz.sh 600 fuzz_filter      only the targets named
#
# The corpus of each target is kept in build-fuzz/corpus/<target> and grows from run to run. A target with a
# dictionary (fuzz/<folder>/<target>.dict) is given it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-${RAVLEN_FUZZ_SECONDS:-600}}"
shift || true
if [ "${RAVLEN_SKIP_INSTALL:-}" != "1" ]; then
    bash scripts/install-deps.sh
    SUDO=""; if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO apt-get install -y --no-install-recommends clang libclang-rt-14-dev
fi
build_dir=build-fuzz
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DRAVLEN_FUZZ=ON -DRAVLEN_BUILD_TESTS=OFF -DRAVLEN_BUILD_BENCHMARKS=OFF
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
    for source in fuzz/*/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
cmake --build "$build_dir" --target "${targets[@]}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(pwd)/scripts/lsan.supp}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
failed=0
for target in "${targets[@]}"; do
    fuzzer="$(find "$build_dir/fuzz" -type f -name "$target" -perm -u+x | head -n 1)"
    [ -n "$fuzzer" ] || { echo "no fuzz target $target" >&2; failed=1; continue; }
    corpus="$build_dir/corpus/$target"
    findings="$build_dir/findings/$target"
    mkdir -p "$corpus" "$findings"
    dict="$(find fuzz -name "$target.dict" | head -n 1)"
    echo "== $target for $seconds s"
    if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/" \
            ${dict:+-dict="$dict"} "$corpus"; then
        echo "== $target: finding saved in $findings" >&2
        failed=1
    fi
done
exit "$failed"
