#!/usr/bin/env bash
# Installs every package the build, the application, the tests and the benchmarks use (Debian 12, as root).
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools qt6-translations-l10n
    libqt6sql6-sqlite libqt6sql6-psql
    qt6-svg-dev qt6-charts-dev libqt6opengl6-dev
    libsqlite3-dev sqlite3 libicu-dev libbenchmark-dev
    postgresql libpq-dev
    libreadstat-dev libxlsxwriter-dev unzip
    fonts-noto-core
    xvfb xauth x11-utils poppler-utils
    dpkg-dev desktop-file-utils
    nodejs
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# Only what is missing is installed, so a second run asks no package server and takes no time.
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -ne 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update
    $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The font is fetched with npm. Some Node.js builds carry npm inside the nodejs package and conflict with
# Debian's own npm package, so that one is installed only when npm is still missing.
if ! command -v npm >/dev/null 2>&1; then
    if [ "${#missing[@]}" -eq 0 ]; then DEBIAN_FRONTEND=noninteractive $SUDO apt-get update; fi
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends npm
fi
