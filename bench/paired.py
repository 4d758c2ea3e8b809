#!/usr/bin/env python3
"""Two builds of ombrasel-solve on the same puzzles, one right after the other.

    python3 bench/paired.py --old OLD --new NEW [--every K] [--timeout S] [--uniqueness] [SET...]

Each puzzle of the sets (by default every 10th of tournament-taai2011 and tournament-icga2023) is
solved by both builds in turn, the order swapped from one puzzle to the next so that a drift of
the machine's speed falls on both. For each set and overall it prints the totals and the medians of
both builds and their ratios (new / old), in processor time of the whole process (start included)
and in the solver's own processor time, and the median of the per-puzzle ratios. It stops with an
error if the two builds give a different verdict or picture for a puzzle.
"""
import argparse
import os
import statistics
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run import DEFAULT_PUZZLES, ROOT, puzzles_of, run_one  # noqa: E402

SETS = ["tournament-taai2011", "tournament-icga2023"]


def answer_of(result):
    return (result.get("verdict"), result.get("result_grid"), result.get("solutions"))


def ratios_text(label, old, new):
    def total(xs):
        return sum(xs)

    per_puzzle = statistics.median(n / o for o, n in zip(old, new) if o > 0)
    return (f"  {label}: total {total(old):.3f} s -> {total(new):.3f} s (ratio {total(new) / total(old):.3f}), "
            f"median {statistics.median(old):.4f} -> {statistics.median(new):.4f} s "
            f"(ratio {statistics.median(new) / statistics.median(old):.3f}), "
            f"median of per-puzzle ratios {per_puzzle:.3f}")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--old", required=True, help="the build to compare against")
    ap.add_argument("--new", required=True, help="the build to measure")
    ap.add_argument("--every", type=int, default=10, help="take every K-th puzzle of each set (default 10)")
    ap.add_argument("--timeout", type=float, default=60, help="processor seconds a puzzle (default 60)")
    ap.add_argument("--uniqueness", action="store_true", help="ask --uniqueness instead of the full answer")
    ap.add_argument("--puzzles", default=DEFAULT_PUZZLES, help="the folder of the puzzle sets")
    ap.add_argument("--measure", default=os.path.join(ROOT, "build", "native", "bench", "ombrasel-measure"),
                    help="the ombrasel-measure executable")
    ap.add_argument("sets", nargs="*", default=SETS)
    args = ap.parse_args()
    if not os.access(args.measure, os.X_OK):
        sys.exit(f"{args.measure}: not built (run scripts/build.sh)")

    everything = {"process": ([], []), "solver": ([], [])}
    for name in args.sets:
        puzzles = list(puzzles_of(os.path.join(args.puzzles, name)))[args.every - 1::args.every]
        figures = {"process": ([], []), "solver": ([], [])}
        for i, (puzzle, fmt, text) in enumerate(puzzles):
            order = [args.old, args.new] if i % 2 == 0 else [args.new, args.old]
            got = {tool: run_one(tool, args.measure, fmt, text, args.timeout, uniqueness=args.uniqueness)
                   for tool in order}
            old, new = got[args.old], got[args.new]
            if "timeout" in (old["verdict"], new["verdict"]):
                print(f"{name} {puzzle}: out of time ({old['verdict']} / {new['verdict']}), left out")
                continue
            if answer_of(old) != answer_of(new):
                sys.exit(f"{name} {puzzle}: the builds answer differently ({old['verdict']} / {new['verdict']})")
            for kind, key in (("process", "process_seconds"), ("solver", "cpu_seconds")):
                figures[kind][0].append(old[key])
                figures[kind][1].append(new[key])
                everything[kind][0].append(old[key])
                everything[kind][1].append(new[key])
        question = "--uniqueness" if args.uniqueness else "full answer"
        print(f"{name}, {question}, {len(figures['process'][0])} puzzles (every {args.every}th):")
        for kind in ("process", "solver"):
            print(ratios_text(f"{kind} time", *figures[kind]))
    if len(args.sets) > 1:
        print(f"all sets, {len(everything['process'][0])} puzzles:")
        for kind in ("process", "solver"):
            print(ratios_text(f"{kind} time", *everything[kind]))


if __name__ == "__main__":
    main()
