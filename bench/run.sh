#!/usr/bin/env bash
# Builds and runs every benchmark (they are not part of the test suite).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -d build ] || ./tools/setup.sh
cmake --build build -j"$(nproc)"
# The grid benchmark needs a window system; off screen when there is no display.
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
for exe in build/bin/bench_*; do
    [ -x "$exe" ] || continue
    echo "== $(basename "$exe")"
    "$exe"
done
