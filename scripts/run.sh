#!/usr/bin/env bash
# Fresh machine to a running application: installs what is missing, builds the program and the database tool,
# prepares the working folder ($RAVLEN_HOME, by default ~/Ravlen) with a ready Ravlen.mdb, and starts Ravlen
# there. An existing Ravlen.mdb is kept as it is, with every participant in it. Started again, it installs
# nothing, rebuilds only what changed and starts in a few seconds.
#
#   bash scripts/run.sh              start on this computer's desktop
#   bash scripts/run.sh --headless   start on a virtual display (for checks; stop it with Ctrl+C)
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$(pwd)"

headless=0
args=()
for arg in "$@"; do
    if [ "$arg" = "--headless" ]; then headless=1; else args+=("$arg"); fi
done

# Without a desktop the window could not be seen and the terminal would only hang: say so and stop before any
# install or build.
if [ "$headless" -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "ravlen: no display here (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are unset); start it from a desktop session, or add --headless to run it on a virtual display" >&2
    exit 2
fi

if [ "${RAVLEN_SKIP_INSTALL:-}" != "1" ]; then bash scripts/install-deps.sh; fi

build_dir="${RAVLEN_BUILD_DIR:-build}"
[[ "$build_dir" = /* ]] || build_dir="$repo/$build_dir"
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${RAVLEN_BUILD_TYPE:-RelWithDebInfo}"
fi
# Only the program and the database tool: the suites and benchmarks are the test command's business.
cmake --build "$build_dir" --target ravlen ravlen-db

home="${RAVLEN_HOME:-$HOME/Ravlen}"
mkdir -p "$home"
cd "$home"
if [ ! -e Ravlen.mdb ] && [ ! -e Ravlen.server ]; then  # a workstation on the server needs no file
    "$build_dir/tools/ravlen-db" create Ravlen.mdb
fi

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$(mktemp -d)"
fi

if [ "$headless" -eq 1 ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    exec xvfb-run -a "$build_dir/app/ravlen" "${args[@]}"
fi
exec "$build_dir/app/ravlen" "${args[@]}"
