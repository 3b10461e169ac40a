#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing), then configures and
# builds into ./build. Used by the demo and test commands.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libgl-dev libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format clang-14 libclang-rt-14-dev
    libreoffice-calc-nogui
    fonts-dejavu-core
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
