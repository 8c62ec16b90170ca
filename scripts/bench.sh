#!/usr/bin/env bash
# Builds the optimised tree and runs every benchmark once; the figures go to the terminal.
# These are measurements on demand, not tests: nothing here fails a build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh bench
cmake --preset release >/dev/null
cmake --build --preset release -j "${ESTRIVO_JOBS:-2}"
out=build/release/bench

echo "== Calculator core (target: Calculate <= 2 us, readNumber and writeNumber <= 150 ns)"
"$out/bench_calc" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

echo "== Instrument link over a pseudo-terminal (targets: <= 1% CPU while waiting,"
echo "   <= 5 ms from the last byte of Done to the results, < 1 MB over 10,000 readings)"
"$out/link/bench_link"

echo "== Journal (targets: a save <= 20 ms median on SQLite and PostgreSQL, <= 2 ms of it on"
echo "   the window's thread, <= 40 KB a sheet)"
"$out/journal/bench_journal"

echo "== Printing (target: <= 1 s from the click to the job handed to the spooler)"
if [ "$(id -u)" -eq 0 ]; then
    bench/print/with_cups.sh "$out/print/bench_print"
else
    echo "(not root: no private print scheduler; the spooler figure is skipped)"
    "$out/print/bench_print" --benchmark_filter='snapshot|printToPdfFile'
fi

echo "== Records over a journal of 100,000 sheets (targets: first rows <= 500 ms, stallion"
echo "   filter <= 100 ms, export of all rows <= 2 s, <= 150 MB, 20 labels spooled <= 2 s)"
if [ "$(id -u)" -eq 0 ]; then
    bench/print/with_cups.sh "$out/records/bench_records" \
        --benchmark_filter='windowStart|stallionFilter|export|printLabels'
else
    "$out/records/bench_records" --benchmark_filter='windowStart|stallionFilter|export'
fi
"$out/records/bench_records" --benchmark_filter=residentMemory

echo "== Records over a PostgreSQL journal of 1,000,000 sheets on a private server, fsync on"
echo "   (targets: first rows <= 300 ms, a stallion's rows and count <= 100 ms, his trend"
echo "   <= 100 ms, export of all rows <= 20 s at <= 150 MB, another program's save shown <= 2 s)"
"$out/records/bench_records_postgres" \
    --benchmark_filter='windowStart|stallionFilter|trendSteps|otherPrograms'
# Alone, so the peak resident size is the export's and the window's only.
"$out/records/bench_records_postgres" --benchmark_filter=exportAll

echo "== The register of 100,000 collections with 300,000 movements as CSV, SQLite and a private"
echo "   PostgreSQL server (target: <= 5 s each)"
"$out/records/bench_register"

echo "== Frozen semen inventory, 50 tanks x 10 canisters x 1,000 batches (target: <= 200 ms)"; "$out/records/bench_inventory"

echo "== Start-up under Xvfb beside a floor window, without and with a private print scheduler"
echo "   (targets: <= 1.3x the floor with the scheduler, <= 300 ms, <= 60 MB; first Print <= 1 s)"
xvfb-run -a -s "-nolisten tcp" bench/app/bench_startup.py build/release/app/estrivo 10
