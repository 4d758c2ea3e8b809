#!/usr/bin/env python3
"""Times ombrasel-solve over the shared puzzle sets and prints one row per set beside the peers' figures.

Each puzzle runs in a process of its own (a tournament file is cut into single puzzles and piped in),
so that a limit on its processor time can end it; a puzzle over the limit counts as the limit, as in
the peers' figures. Times are the solver's processor time, as the peers' are.

The peers answer only whether a puzzle has no solution, one or several, stopping at a second one:
the question of --uniqueness. By default ours answer the full question (also every cell in which
some solution differs), and the row says so beside the peers' figures.
"""

import argparse
import csv
import json
import math
import os
import resource
import signal
import statistics
import subprocess
import sys
import time
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_PUZZLES = os.path.normpath(os.path.join(ROOT, "..", "shared", "puzzles"))
DEFAULT_TOOL = os.path.join(ROOT, "build", "native", "cli", "ombrasel-solve")
WITH_PEERS = ["nonogram-db-small", "webpbn-survey-small", "ndom-generated",
              "tournament-taai2011", "tournament-icga2023"]


def split_taai(path):
    """Yields (name, text) for every puzzle of a tournament file."""
    with open(path, "rb") as f:
        lines = f.read().decode("utf-8", "replace").replace("\r\n", "\n").replace("\r", "\n").split("\n")
    starts = [i for i, line in enumerate(lines) if line.startswith("$")]
    for n, i in enumerate(starts):
        end = starts[n + 1] if n + 1 < len(starts) else len(lines)
        yield lines[i][1:].strip(), "\n".join(lines[i:end]) + "\n"


def puzzles_of(set_dir):
    """Yields (name, format, text) for every puzzle of a set."""
    for entry in sorted(os.listdir(set_dir)):
        path = os.path.join(set_dir, entry)
        stem, ext = os.path.splitext(entry)
        if entry == "question.txt":
            for name, text in split_taai(path):
                yield name, "taai", text
        elif ext in (".non", ".xml"):
            with open(path, "rb") as f:
                yield stem, ext[1:], f.read().decode("utf-8", "replace")


def cpu_limit(seconds):
    """Ends the child by SIGXCPU once it has used `seconds` of processor time."""
    whole = max(1, int(seconds + 0.999))
    return lambda: resource.setrlimit(resource.RLIMIT_CPU, (whole, whole + 1))


def run_one(tool, fmt, text, limit, engine="learning", uniqueness=False):
    start = time.monotonic()
    timeout = {"verdict": "timeout", "seconds": float(limit), "search_calls": 0}
    question = ["--uniqueness"] if uniqueness else []
    try:
        # The limit is on processor time, as the peers' figures are; the wall-clock
        # limit only guards against a child that stops making progress.
        proc = subprocess.run([tool, "--json", "--stats", "--engine", engine, *question, "--format", fmt, "-"],
                              input=text.encode(),
                              capture_output=True, timeout=4 * limit + 10,
                              preexec_fn=cpu_limit(limit))
    except subprocess.TimeoutExpired:
        return timeout
    if proc.returncode in (-signal.SIGXCPU, -signal.SIGKILL):
        return timeout
    if proc.returncode != 0 or not proc.stdout.strip():
        return {"verdict": "error", "seconds": time.monotonic() - start, "search_calls": 0,
                "error": proc.stderr.decode(errors="replace").strip()}
    return json.loads(proc.stdout.decode().splitlines()[0])


PEER_VERDICTS = {"unique": "unique", "multiple": "several solutions", "none": "no solution"}


def peer_figures(set_dir):
    """{peer: {puzzle: seconds}} from the set's peer-results files, '>60' counted as 60, and
    {peer: {puzzle: verdict}} in our words for the puzzles a peer finished."""
    peers, verdicts = {}, {}
    for entry in sorted(os.listdir(set_dir)):
        if not (entry.startswith("peer-results-") and entry.endswith(".csv")):
            continue
        with open(os.path.join(set_dir, entry), newline="") as f:
            for row in csv.DictReader(f):
                sec = row["seconds"].strip()
                value = 60.0 if sec.startswith(">") else float(sec)
                peers.setdefault(row["peer"], {})[row["puzzle"]] = value
                if not sec.startswith(">") and row["verdict"] in PEER_VERDICTS:
                    verdicts.setdefault(row["peer"], {})[row["puzzle"]] = PEER_VERDICTS[row["verdict"]]
    return peers, verdicts


def sec(x):
    """Seconds to three significant figures, so that the fast sets show too."""
    return f"{x:.3g}"


def summary(times):
    return sum(times), statistics.median(times) if times else 0.0, max(times) if times else 0.0


def percentile(times, q):
    """The nearest-rank q-quantile: the smallest time that at least q of the puzzles stay within."""
    if not times:
        return 0.0
    ordered = sorted(times)
    return ordered[max(0, math.ceil(len(ordered) * q) - 1)]


TAIL_LIMITS = (1, 5, 10)


def tail_row(label, times, timeouts):
    """The tail of a list of times: median, p90, p99, maximum, and how many exceed 1, 5 and 10 s."""
    over = " ".join(f">{t}s {sum(x > t for x in times):>4}" for t in TAIL_LIMITS)
    return (f"    {label}: n {len(times)}, median {sec(statistics.median(times)) if times else 0}, "
            f"p90 {sec(percentile(times, 0.9))}, p99 {sec(percentile(times, 0.99))}, "
            f"max {sec(max(times) if times else 0.0)}; {over}; at the limit {timeouts}")


PHASES = (("walk", "walk_queries", "walk_conflicts", "walk_us"),
          ("sorting", "sorting_queries", "sorting_conflicts", "sorting_us"))


def phase_text(results):
    """Each phase's searches, conflicts and processor time summed over answered puzzles, and the
    largest single search among them."""
    done = [r for r in results if "walk_us" in r]
    parts = []
    for label, queries, conflicts, micros in PHASES:
        parts.append(f"{label} {sum(int(r[queries]) for r in done)} searches, "
                     f"{sum(int(r[conflicts]) for r in done)} conflicts, "
                     f"{sec(sum(int(r[micros]) for r in done) / 1e6)} s")
    if done:
        big = max(done, key=lambda r: int(r["largest_search"]))
        parts.append(f"largest search {big['largest_search']} conflicts, "
                     f"{sec(int(big['largest_search_us']) / 1e6)} s ({big.get('bench_name', '?')})")
    return "; ".join(parts)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("sets", nargs="*", help="set folders (default: the sets that have peer figures)")
    ap.add_argument("--puzzles", default=DEFAULT_PUZZLES, help="the puzzle folder")
    ap.add_argument("--tool", default=DEFAULT_TOOL, help="the ombrasel-solve executable")
    ap.add_argument("--all", action="store_true", help="every set in the puzzle folder")
    ap.add_argument("--limit", type=int, default=0, help="at most this many puzzles a set")
    ap.add_argument("--every", type=int, default=1,
                    help="only every k-th puzzle of a set: the k-th, the 2k-th, ...")
    ap.add_argument("--timeout", type=float, default=60.0, help="processor seconds a puzzle may take")
    ap.add_argument("--jobs", type=int, default=1, help="puzzles solved at once")
    ap.add_argument("--slowest", type=int, default=3, help="slowest puzzles named per set")
    ap.add_argument("--csv", help="write every puzzle's figures to this file")
    ap.add_argument("--stats", action="store_true",
                    help="split the learning engine's work into the walk to the first solution and "
                         "the sorting of the cells that vary, per set and for its slowest puzzles")
    ap.add_argument("--engine", default="learning", help="the engine timed: learning or exhaustive")
    ap.add_argument("--uniqueness", action="store_true",
                    help="ask only whether each puzzle has one solution, the peers' question")
    ap.add_argument("--compare-engines", action="store_true",
                    help="also run the other engine on every puzzle and compare the answers")
    args = ap.parse_args()

    if not os.access(args.tool, os.X_OK):
        sys.exit(f"{args.tool}: not built (run scripts/build.sh)")
    names = sorted(os.listdir(args.puzzles)) if args.all else (args.sets or WITH_PEERS)
    sets = [n for n in names if os.path.isdir(os.path.join(args.puzzles, n))]

    rows = []
    every_time, every_timeout, every_result, sets_run = [], 0, [], 0
    question = ("the peers' question: none, one or several" if args.uniqueness else
                "ours the full answer, theirs only none, one or several")
    print(f"{'set':<22} {'n':>5} {'uniq':>5} {'none':>5} {'sev':>5} {'t/o':>4} {'total s':>9} "
          f"{'median s':>9} {'max s':>8} {'searches':>13}   peers (total / median over the same puzzles; "
          f"{question})")
    for set_name in sets:
        set_dir = os.path.join(args.puzzles, set_name)
        every = max(args.every, 1)
        puzzles = list(puzzles_of(set_dir))[every - 1 :: every]
        if args.limit:
            puzzles = puzzles[: args.limit]
        if not puzzles:
            continue
        with ThreadPoolExecutor(max_workers=args.jobs) as pool:
            results = list(pool.map(lambda p: run_one(args.tool, p[1], p[2], args.timeout, args.engine,
                                                      args.uniqueness), puzzles))
        if args.compare_engines:
            other = "exhaustive" if args.engine == "learning" else "learning"
            with ThreadPoolExecutor(max_workers=args.jobs) as pool:
                others = list(pool.map(lambda p: run_one(args.tool, p[1], p[2], args.timeout, other,
                                                         args.uniqueness), puzzles))
            both = [(a, b) for a, b in zip(results, others) if "status" in a and "status" in b]
            # The two solutions that --uniqueness shows may differ between the engines.
            answer = (lambda r: r["status"]) if args.uniqueness else (lambda r: (r["status"], r["result_grid"]))
            differ = [name for (name, _, _), a, b in zip(puzzles, results, others)
                      if "status" in a and "status" in b and answer(a) != answer(b)]
            ratio = (statistics.median(b.get("cpu_seconds", b["seconds"]) / max(a.get("cpu_seconds", a["seconds"]), 1e-6)
                                       for a, b in both) if both else 0.0)
            print(f"    {other}: {sum('status' in b for b in others)} of {len(puzzles)} finished; "
                  f"{len(both)} answered by both, {len(differ)} differently"
                  + (f" ({', '.join(differ[:10])})" if differ else "")
                  + f"; median time ratio {other}/{args.engine} {sec(ratio)}")
        for (name, _, _), res in zip(puzzles, results):
            res["bench_name"] = f"{set_name} {name}"
        ours = {}
        counts = {"unique": 0, "no solution": 0, "several solutions": 0, "timeout": 0, "error": 0}
        calls = 0
        for (name, _, _), res in zip(puzzles, results):
            # Processor time, as the peers' figures are.
            ours[name] = res.get("cpu_seconds", res["seconds"])
            counts[res["verdict"]] = counts.get(res["verdict"], 0) + 1
            # Calls of search for the exhaustive engine, existence searches for the learning one.
            searches = int(res.get("search_calls", 0)) + int(res.get("queries", 0))
            calls += searches
            rows.append((set_name, name, res["verdict"], res.get("difficulty", ""), ours[name], searches))
            if res["verdict"] == "error":
                print(f"  {set_name} {name}: {res.get('error', '')}", file=sys.stderr)
        total, median, slowest = summary(list(ours.values()))
        verdict_of = {name: res["verdict"] for (name, _, _), res in zip(puzzles, results)}
        peer_text = []
        figures_of, peer_verdicts = peer_figures(set_dir)
        for peer, figures in sorted(figures_of.items()):
            common = [p for p in figures if p in ours]
            if not common:
                continue
            pt, pm, _ = summary([figures[p] for p in common])
            ot, om, _ = summary([ours[p] for p in common])
            # Verdicts of puzzles that both finished and answered differently: a fault of someone's.
            disagree = [p for p, v in peer_verdicts.get(peer, {}).items()
                        if verdict_of.get(p) in PEER_VERDICTS.values() and verdict_of[p] != v]
            peer_text.append(f"{peer} n={len(common)}: {sec(pt)}/{sec(pm)} vs ours {sec(ot)}/{sec(om)}"
                             + (f" DIFFERENT VERDICTS {','.join(disagree[:5])}" if disagree else ""))
        print(f"{set_name:<22} {len(ours):>5} {counts['unique']:>5} {counts['no solution']:>5} "
              f"{counts['several solutions']:>5} {counts['timeout']:>4} {sec(total):>9} {sec(median):>9} "
              f"{sec(slowest):>8} {calls:>13}   " + "; ".join(peer_text))
        worst = sorted(ours.items(), key=lambda kv: -kv[1])[: args.slowest]
        print("    slowest: " + ", ".join(f"{name} {sec(s)} s" for name, s in worst))
        print(tail_row("tail", list(ours.values()), counts["timeout"]))
        if args.stats:
            print("    phases: " + phase_text(results))
            by_name = {name: res for (name, _, _), res in zip(puzzles, results)}
            for name, _ in worst:
                print(f"      {name}: " + (phase_text([by_name[name]]) if "walk_us" in by_name[name]
                                          else by_name[name]["verdict"]))
            every_result.extend(results)
        every_time.extend(ours.values())
        sets_run += 1
        every_timeout += counts["timeout"]
        sys.stdout.flush()

    if sets_run > 1:
        print(tail_row(f"all {sets_run} sets", every_time, every_timeout))
        if args.stats:
            print("    phases: " + phase_text(every_result))

    if args.csv:
        with open(args.csv, "w", newline="") as f:
            out = csv.writer(f)
            out.writerow(["set", "puzzle", "verdict", "difficulty", "seconds", "searches"])
            out.writerows(rows)


if __name__ == "__main__":
    main()
