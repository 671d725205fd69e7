#!/usr/bin/env bash
# Fresh machine to green tests: installs the packages, builds, runs every suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${RAVLEN_SKIP_INSTALL:-}" != "1" ]; then bash scripts/install-deps.sh; fi
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
cd "${RAVLEN_BUILD_DIR:-build}"
ctest --output-on-failure -j "$(nproc)" --timeout 900
