#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need,
# only when some are missing. Debian's archive is the only download.
set -euo pipefail

packages=(
    qt6-base-dev libqt6opengl6-dev qt6-charts-dev libqt6sql6-sqlite libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev cmake ninja-build g++ clang pkg-config ccache
    xvfb xauth imagemagick xdotool fonts-dejavu-core poppler-utils
    mdbtools mdbtools-dev libclang-rt-14-dev fp-units-db
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
