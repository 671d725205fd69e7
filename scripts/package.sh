#!/usr/bin/env bash
# Builds the Debian package (build/ravlen_*.deb) and proves it: unpacks it into a scratch root, checks the menu
# entry and runs the database tool from there.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${RAVLEN_SKIP_INSTALL:-}" != "1" ]; then bash scripts/install-deps.sh; fi
build_dir="${RAVLEN_BUILD_DIR:-build}"
if [ ! -f "$build_dir/build.ninja" ]; then bash scripts/build.sh; fi
cmake --build "$build_dir" --target ravlen ravlen-db
rm -f "$build_dir"/ravlen_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
deb="$(ls "$build_dir"/ravlen_*.deb)"
echo "Package: $deb"
dpkg-deb --field "$deb" Package Version Depends

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
dpkg-deb -c "$deb" | awk '{print $6}'
desktop-file-validate "$root/usr/share/applications/ravlen.desktop"
"$root/usr/bin/ravlen-db" --help >/dev/null
echo "Installed into a scratch root: ravlen-db --help runs from it"
