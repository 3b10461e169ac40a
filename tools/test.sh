#!/usr/bin/env bash
# Sets everything up and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh
status=0
ctest --test-dir build --output-on-failure -j2 --timeout 600 || status=1
# Fuzzing and the leak check need their own sanitizer build.
if [ -x tests/capture/run_sanitized.sh ]; then
    tests/capture/run_sanitized.sh || status=1
fi
exit $status
