#!/usr/bin/python3
"""Start-up of the program beside the floor (the smallest Qt Widgets window, bench_startup_floor)
on an X server, from process start until the window has been shown and drawn into a picture,
with the resident memory at that moment; the two are started by turns in the same run, median
of several runs. It runs twice: without a print scheduler, and with a private CUPS scheduler
whose default queue has a driver description (bench/print/with_cups.sh, which needs root),
where it also times the first Print of a run from the click to the job spooled.

Usage: bench_startup.py <path to estrivo> [runs]   (needs DISPLAY; scripts/bench.sh gives one)
The floor and bench_first_print are taken from <build>/bench/app unless --floor and
--first-print name them.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
WITH_CUPS = os.path.join(HERE, "..", "print", "with_cups.sh")


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def start_once(program, picture, env):
    """Wall time to the picture line, resident memory then, CPU time of the whole run (ms)."""
    env = dict(env, QT_QPA_PLATFORM="xcb", ESTRIVO_SCREENSHOT=picture)
    started = time.perf_counter()
    child = subprocess.Popen([program], env=env, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True)
    # Both print this line once the shown window has been drawn into the picture.
    line = child.stdout.readline()
    elapsed = time.perf_counter() - started
    rss = resident_kib(child.pid)
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    if "written" not in line or child.returncode != 0:
        raise RuntimeError(f"{program}: exit {child.returncode}, output {line!r}")
    return elapsed * 1000, rss / 1024, (usage.ru_utime + usage.ru_stime) * 1000


def spread(values, unit):
    values = sorted(values)
    return (f"{statistics.median(values):6.1f} {unit} "
            f"(min {values[0]:.1f}, max {values[-1]:.1f})")


def compare_start(program, floor, runs, env):
    with tempfile.TemporaryDirectory() as folder:
        picture = os.path.join(folder, "window.png")
        for warm in (program, floor):  # file caches, font caches
            start_once(warm, picture, env)
        results = {program: [], floor: []}
        for run in range(runs):
            # By turns, each first every other run, so a busy moment hits both alike.
            for which in ((program, floor) if run % 2 == 0 else (floor, program)):
                results[which].append(start_once(which, picture, env))
    columns = {name: list(zip(*results[path]))
               for name, path in (("program", program), ("floor", floor))}
    for name in ("program", "floor"):
        wall, rss, cpu = columns[name]
        print(f"  {name:8} window shown {spread(wall, 'ms')}; CPU {spread(cpu, 'ms')}; "
              f"resident {statistics.median(rss):.1f} MB")
    def ratio(column, pick):
        return pick(columns["program"][column]) / pick(columns["floor"][column])

    # The fastest runs are the ones other work on the machine disturbed least.
    print(f"  program / floor: {ratio(0, statistics.median):.2f}x window shown "
          f"({ratio(0, min):.2f}x fastest to fastest), {ratio(2, statistics.median):.2f}x CPU "
          f"({runs} runs each)")


def pending_jobs(env):
    listing = subprocess.run(["lpstat", "-o"], env=env, capture_output=True, text=True)
    return len(listing.stdout.splitlines())


def first_print(program, runs, env):
    env = dict(env, QT_QPA_PLATFORM="xcb")
    times = []
    for _ in range(runs + 1):
        before = pending_jobs(env)
        done = subprocess.run([program], env=env, capture_output=True, text=True, timeout=60)
        words = done.stdout.split()
        if done.returncode != 0 or words[:2] != ["first", "print"]:
            raise RuntimeError(f"{program}: exit {done.returncode}, {done.stdout!r}")
        if pending_jobs(env) != before + 1:
            raise RuntimeError("the first print did not reach the spooler: " + done.stderr)
        times.append(float(words[2]))
    times = times[1:]  # the first one warmed the caches
    print(f"  first Print after start, click to job spooled: {spread(times, 'ms')} "
          f"({runs} runs; target <= 1000 ms)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("runs", type=int, nargs="?", default=10)
    parser.add_argument("--floor")
    parser.add_argument("--first-print")
    parser.add_argument("--with-scheduler", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    build = os.path.dirname(os.path.dirname(program))
    floor = os.path.abspath(args.floor or os.path.join(build, "bench/app/bench_startup_floor"))
    printing = os.path.abspath(args.first_print
                               or os.path.join(build, "bench/app/bench_first_print"))
    env = {k: v for k, v in os.environ.items() if k not in ("LPDEST", "PRINTER")}

    if args.with_scheduler:
        print("== With a private print scheduler and a default queue "
              "(targets: <= 1.3x the floor, <= 300 ms)")
        compare_start(program, floor, args.runs, env)
        first_print(printing, args.runs, env)
        return

    print("== Without a print scheduler")
    with tempfile.TemporaryDirectory() as folder:
        compare_start(program, floor, args.runs,
                      dict(env, CUPS_SERVER=os.path.join(folder, "no-scheduler.sock")))
    sys.stdout.flush()
    if os.geteuid() != 0:
        print("== With a private print scheduler: skipped (cupsd needs root)")
        return
    subprocess.run([WITH_CUPS, sys.executable, os.path.abspath(__file__), "--with-scheduler",
                    "--floor", floor, "--first-print", printing, program, str(args.runs)],
                   check=True)


if __name__ == "__main__":
    main()
