#!/usr/bin/env bash
# Fresh machine to a running application: installs the packages, builds, prepares the working folder
# ($RAVLEN_HOME, by default ~/Ravlen) with a ready Ravlen.mdb, and starts Ravlen there. An existing
# Ravlen.mdb is kept as it is, with every participant in it.
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$(pwd)"
if [ "${RAVLEN_SKIP_INSTALL:-}" != "1" ]; then bash scripts/install-deps.sh; fi
bash scripts/build.sh
build_dir="$repo/${RAVLEN_BUILD_DIR:-build}"

home="${RAVLEN_HOME:-$HOME/Ravlen}"
mkdir -p "$home"
cd "$home"
if [ ! -e Ravlen.mdb ] && [ -x "$build_dir/tools/ravlen-db" ]; then
    "$build_dir/tools/ravlen-db" create Ravlen.mdb
fi

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$(mktemp -d)"
fi

# Without a display (a server, a container) the window is drawn on a virtual one.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    exec xvfb-run -a "$build_dir/app/ravlen" "$@"
fi
exec "$build_dir/app/ravlen" "$@"
