#!/usr/bin/env bash
# Builds Estrivo and starts it in demo mode, with a simulated photometer on a
# pseudo-terminal, so Connect, Light On/Off and Read work without the instrument.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release -j "${ESTRIVO_JOBS:-2}" --target estrivo estrivo-instrument-sim

program=build/release/app/estrivo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    picture="$PWD/build/release/estrivo-window.png"
    echo "No display on this machine: drawing the window offscreen instead."
    # The offscreen platform's notes about window hints it ignores are not news here.
    QT_QPA_PLATFORM=offscreen ESTRIVO_SCREENSHOT="$picture" "$program" --demo \
        2> >(grep -vE 'does not support (propagateSizeHints|raise)' >&2)
    echo "Open $picture to see it; on a desktop this command opens the window."
    exit 0
fi

echo "Starting Estrivo in demo mode: a simulated photometer is on the port shown in COM Port."
echo "Click Connect, then Read. For the real instrument run $program without --demo."
exec "$program" --demo "$@"
