#!/usr/bin/env bash
# Three workstation processes registering and answering on one PostgreSQL database for a full minute (the suite's
# own run is shorter). Run from the repository after a build; prints how many participants went through.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${RAVLEN_BUILD_DIR:-build}"
RAVLEN_CLIENT_SECONDS="${RAVLEN_CLIENT_SECONDS:-60}" "$build_dir/tests/data/tst_PgClients" -v1
