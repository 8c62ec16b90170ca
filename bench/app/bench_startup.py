#!/usr/bin/python3
"""Start-up of the program on an X server: from process start until the window has been
shown and drawn once, and the resident memory at that moment; median of several runs.

Usage: bench_startup.py <path to estrivo> [runs]   (needs DISPLAY; scripts/bench.sh gives one)
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def one_run(program, picture):
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", ESTRIVO_SCREENSHOT=picture)
    started = time.perf_counter()
    child = subprocess.Popen([program], env=env, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True)
    # The program prints this line once the shown window has been drawn into the picture.
    line = child.stdout.readline()
    elapsed = time.perf_counter() - started
    rss = resident_kib(child.pid)
    child.wait(timeout=30)
    if "written" not in line:
        raise RuntimeError(f"unexpected output: {line!r}")
    return elapsed, rss


def main():
    program = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    with tempfile.TemporaryDirectory() as folder:
        picture = os.path.join(folder, "window.png")
        one_run(program, picture)  # warm the caches once
        results = [one_run(program, picture) for _ in range(runs)]
    times = sorted(r[0] * 1000 for r in results)
    rss = sorted(r[1] / 1024 for r in results)
    print(f"start-up to window shown: median {statistics.median(times):.1f} ms "
          f"(min {times[0]:.1f}, max {times[-1]:.1f}, {runs} runs; target <= 300 ms)")
    print(f"resident memory after start-up: median {statistics.median(rss):.1f} MB "
          f"(target <= 60 MB)")


if __name__ == "__main__":
    main()
