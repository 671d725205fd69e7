#!/usr/bin/env bash
# Configures and builds the project in ./build (or $RAVLEN_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${RAVLEN_BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${RAVLEN_BUILD_TYPE:-RelWithDebInfo}" "$@"
cmake --build "$build_dir"
