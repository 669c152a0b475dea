#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need,
# only when some are missing. Debian's archive is the only download.
set -euo pipefail

packages=(
    qt6-base-dev libqt6opengl6-dev qt6-charts-dev libqt6sql6-sqlite libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev cmake ninja-build g++ clang pkg-config ccache
    xvfb xauth imagemagick xdotool fonts-dejavu-core poppler-utils
    mdbtools mdbtools-dev libclang-rt-14-dev fp-units-db
    desktop-file-utils locales dpkg-dev shared-mime-info
    pybind11-dev python3-dev python3-numpy python3-pandas python3-distributed python3-pytest
    python3-matplotlib nlohmann-json3-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}" >&2
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A German locale, for the test that numbers read and show the same under it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "warning: could not generate de_DE.UTF-8" >&2
fi
