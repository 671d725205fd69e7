#!/usr/bin/env bash
# Builds in release mode and runs every benchmark program; results go to standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
export RAVLEN_BUILD_DIR="${RAVLEN_BUILD_DIR:-build-release}"
RAVLEN_BUILD_TYPE=Release bash scripts/build.sh
# Benchmarks of windows and the report draw on the offscreen platform, so they run without a display.
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
for bench in "$RAVLEN_BUILD_DIR"/bench/*/bench_*; do
    [ -f "$bench" ] && [ -x "$bench" ] || continue
    echo "== $bench"
    "$bench" "$@"
done
