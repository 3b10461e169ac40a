#!/usr/bin/env bash
# Sets everything up, creates the demo program directory ./demo and runs it: a simulated
# exchange sends calls on a pseudo-terminal, Kvo_term reads and stores them.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh
bin=$PWD/build/bin
demo=$PWD/demo

"$bin/kvo-install" "$demo"
"$bin/pbx-sim" --link "$demo/Temp/ttyPBX" --interval 1500 --burst 5 --quiet > "$demo/Temp/pbx-sim.out" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$demo/Temp/ttyPBX" ] && break; sleep 0.1; done
"$bin/kvo-ini" "$demo/Kvo_main.ini" Terminal device1 "$(readlink -f "$demo/Temp/ttyPBX")"
"$bin/kvo-ini" "$demo/Kvo_main.ini" Terminal combo5 0

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Kvo_term reads the simulated exchange; close its window to stop the demo."
    "$demo/Kvo_term" auto
else
    echo "No display: Kvo_term runs off screen for 20 seconds."
    QT_QPA_PLATFORM=offscreen timeout 20 "$demo/Kvo_term" auto || true
fi

echo "Calls stored in the active table (newest first):"
active=$("$bin/kvo-ini" "$demo/Kvo_main.ini" MAIN Active || echo DIAL)
"$bin/kvo-sql" "$demo/Base" "SELECT AVT, DAT_RING, TIM_RING, EXT, CO, DIAL, DURATION, CD FROM $active ORDER BY AVT DESCENDING LIMIT 10"
echo "Lines in the error journal: $("$bin/kvo-sql" "$demo/Base" "SELECT COUNT(AVT) FROM BUFFER")"
echo "Program directory: $demo (start $demo/KVO_view for the administrator program)"
