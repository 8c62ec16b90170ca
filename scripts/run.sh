#!/usr/bin/env bash
# Builds Estrivo and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release -j "${ESTRIVO_JOBS:-2}"

if [ ! -x build/release/app/estrivo ]; then
    echo "Built the calculator core and its benchmarks; the window comes next."
    exit 0
fi
exec build/release/app/estrivo "$@"
