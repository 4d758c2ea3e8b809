#!/usr/bin/env python3
"""Times ombrasel-solve on one whole puzzle file with -j 1 against -j 2 (or other counts), and
measures what a worker process costs a puzzle.

Each count of jobs runs the file several times; the table shows the median wall time, its
range, the speed-up over the first count, the processor time of the whole run and the verdict
counts (which must agree between the counts, apart from puzzles near the time limit). The cost
of a worker is measured on many 1 x 1 puzzles: the wall time a puzzle beyond the solver's own.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_FILE = os.path.normpath(os.path.join(ROOT, "..", "shared", "puzzles", "tournament-taai2011",
                                             "question.txt"))
DEFAULT_TOOL = os.path.join(ROOT, "build", "native", "cli", "ombrasel-solve")


def run(tool, arguments):
    """(wall seconds, JSON objects, summary line) of one run."""
    start = time.monotonic()
    proc = subprocess.run([tool, "--json", *arguments], capture_output=True)
    wall = time.monotonic() - start
    if proc.returncode not in (0, 3):
        sys.exit(f"{tool} {' '.join(arguments)}: exit code {proc.returncode}\n"
                 f"{proc.stderr.decode(errors='replace')}")
    objects = [json.loads(line) for line in proc.stdout.decode().splitlines()]
    summary = proc.stderr.decode(errors="replace").strip().splitlines()
    return wall, objects, summary[-1] if summary else ""


def processor_seconds(summary):
    """The processor time of the whole run, from the tool's closing summary."""
    words = summary.split("processor time ")
    return float(words[1].split()[0]) if len(words) > 1 else float("nan")


def verdicts(objects):
    counts = {}
    for o in objects:
        counts[o["verdict"]] = counts.get(o["verdict"], 0) + 1
    return ", ".join(f"{n} {v}" for v, n in sorted(counts.items()))


def time_jobs(args):
    arguments = [f"--timeout={args.timeout}"] if args.timeout else []
    arguments.append(args.file)
    print(f"{args.file}: {args.repeat} runs each, limit {args.timeout or 'none'} s of processor time a puzzle")
    print(f"{'jobs':>4} {'median wall s':>14} {'range s':>17} {'speed-up':>8} {'processor s':>12}   verdicts")
    first = None
    for jobs in args.jobs:
        walls, cpu, objects = [], [], []
        for _ in range(args.repeat):
            wall, objects, summary = run(args.tool, [f"-j{jobs}", *arguments])
            walls.append(wall)
            cpu.append(processor_seconds(summary))
        median = statistics.median(walls)
        first = first or median
        print(f"{jobs:>4} {median:>14.2f} {min(walls):>8.2f}-{max(walls):<8.2f} {first / median:>8.2f} "
              f"{statistics.median(cpu):>12.2f}   {verdicts(objects)}")
        sys.stdout.flush()


def time_overhead(args):
    """Wall time per puzzle beyond the solver's, on puzzles that take the solver microseconds."""
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        f.write("".join(f"${k}\n1\n1\n" for k in range(1, args.tiny + 1)))
        path = f.name
    try:
        print(f"\nworker cost: {args.tiny} puzzles of 1 x 1, {args.repeat} runs each, -j 1")
        for label, extra in (("no limit", []), ("--timeout 10", ["--timeout=10"])):
            costs = []
            for _ in range(args.repeat):
                wall, objects, _ = run(args.tool, ["-j1", *extra, path])
                costs.append((wall - sum(o["seconds"] for o in objects)) / len(objects))
            print(f"  {label:<13} {statistics.median(costs) * 1e6:8.1f} us a puzzle beyond the solver "
                  f"(runs {min(costs) * 1e6:.1f} to {max(costs) * 1e6:.1f})")
    finally:
        os.unlink(path)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--file", default=DEFAULT_FILE, help="the puzzle file (default: tournament-taai2011)")
    ap.add_argument("--tool", default=DEFAULT_TOOL, help="the ombrasel-solve executable")
    ap.add_argument("--jobs", default="1,2", help="counts of jobs to compare, the first the baseline")
    ap.add_argument("--timeout", type=float, default=0.1, help="processor seconds a puzzle may take (0: none)")
    ap.add_argument("--repeat", type=int, default=3, help="runs of each count")
    ap.add_argument("--tiny", type=int, default=20000, help="1 x 1 puzzles for the worker cost (0: skip)")
    args = ap.parse_args()
    args.jobs = [int(j) for j in args.jobs.split(",")]
    if not os.access(args.tool, os.X_OK):
        sys.exit(f"{args.tool}: not built (run scripts/build.sh)")
    time_jobs(args)
    if args.tiny:
        time_overhead(args)


if __name__ == "__main__":
    main()
