#!/usr/bin/env bash
# Builds the Debian package (build/ravlen_*.deb) and proves it: unpacks it into a scratch root, checks the menu
# entry, checks that every executable in it is stripped and runs the database tool from there.
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
# Stripped: no debug sections and no symbol table in any executable of the package.
for exe in "$root"/usr/bin/*; do
    if head -c 4 "$exe" | grep -q 'ELF'; then
        if readelf -S --wide "$exe" | grep -Eq '\.debug_|\.symtab'; then
            echo "not stripped: ${exe#"$root"}" >&2
            exit 1
        fi
        echo "stripped: ${exe#"$root"} ($(stat -c %s "$exe") bytes)"
    fi
done
echo "Package size: $(stat -c %s "$deb") bytes, installed: $(du -sb "$root/usr" | cut -f1) bytes"
"$root/usr/bin/ravlen-db" --help >/dev/null
echo "Installed into a scratch root: ravlen-db --help runs from it"
