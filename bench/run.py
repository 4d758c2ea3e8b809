#!/usr/bin/env python3
"""Times ombrasel-solve over the shared puzzle sets and prints one row per set beside the peers' figures.

Each puzzle runs in a process of its own (a tournament file is cut into single puzzles and piped in),
so that a limit on its processor time can end it; a puzzle over the limit counts as the limit, as in
the peers' figures. Times are the whole process's user and system time, start included, as the
peers' are (lalafrog's excepted: a batch process, its start-up left out); the processor time the tool
reports for its solver alone is shown beside them. Puzzles the tool rejects as bad input are counted
apart and neither timed nor compared.

The peers answer only whether a puzzle has no solution, one or several, stopping at a second one:
the question of --uniqueness. By default ours answer the full question (also every cell in which
some solution differs), and the row says so beside the peers' figures.
"""

import argparse
import csv
import json
import math
import os
import re
import signal
import statistics
import subprocess
import sys
from collections import Counter
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_PUZZLES = os.path.normpath(os.path.join(ROOT, "..", "shared", "puzzles"))
DEFAULT_TOOL = os.path.join(ROOT, "build", "native", "cli", "ombrasel-solve")
WITH_PEERS = ["nonogram-db-small", "webpbn-survey-small", "ndom-generated",
              "tournament-taai2011", "tournament-icga2023", "webpbn-large"]


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


def size_of(fmt, text):
    """(width, height) as the puzzle's text gives them, or None."""
    if fmt == "non":
        found = dict(re.findall(r"^\s*(width|height)\s+(\d+)", text, re.M))
        if "width" in found and "height" in found:
            return int(found["width"]), int(found["height"])
    elif fmt == "xml":
        lines = {kind: len(re.findall(r"<line\b", body))
                 for kind, body in re.findall(r'<clues[^>]*type="(rows|columns)"[^>]*>(.*?)</clues>', text, re.S)}
        if "rows" in lines and "columns" in lines:
            return lines["columns"], lines["rows"]
    elif fmt == "taai":
        # "$n", 2N clue lines, and the newline that ends the last.
        n = (len(text.split("\n")) - 2) // 2
        return n, n
    return None


VERDICTS = ("unique", "no solution", "several solutions")
ANSWERED = VERDICTS + ("timeout",)


def measure(measurer, argv, data, cpu_seconds, wall_seconds):
    """Runs argv through ombrasel-measure with data on its standard input. Returns the exit
    ("exit", n) or ("signal", n), stdout, stderr, user + system seconds, peak resident kB, wall
    seconds and whether the wall limit killed it; None when the measurer itself was killed."""
    report_r, report_w = os.pipe()
    try:
        proc = subprocess.Popen([measurer, str(report_w), str(cpu_seconds), str(wall_seconds), *argv],
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                pass_fds=(report_w,))
    finally:
        os.close(report_w)
    with os.fdopen(report_r, "rb") as report:
        try:
            out, err = proc.communicate(data, timeout=wall_seconds + 30)
        except subprocess.TimeoutExpired:
            proc.kill()  # the child dies with it
            proc.communicate()
            return None
        fields = report.read().decode().split()
    if proc.returncode != 0 or len(fields) != 7:
        sys.exit(f"{measurer}: {err.decode(errors='replace').strip() or 'no report'}")
    how, code, user, system, rss_kb, wall, killed = fields
    return ((how, int(code)), out, err, float(user) + float(system), int(rss_kb), float(wall), killed == "1")


def run_one(tool, measurer, fmt, text, limit, engine="learning", uniqueness=False):
    """The tool's answer to one puzzle: its JSON object, or a verdict of timeout, bad input or
    error; with process_seconds (user + system, the limit for a timeout) and max_rss_mb."""
    question = ["--uniqueness"] if uniqueness else []
    # The limit is on processor time, as the peers' figures are; the wall-clock
    # limit only guards against a child that stops making progress.
    whole = max(1, int(limit + 0.999))
    got = measure(measurer, [tool, "--json", "--stats", "--engine", engine, *question, "--format", fmt, "-"],
                  text.encode(), whole, 4 * limit + 10)
    if got is None:
        return {"verdict": "timeout", "process_seconds": float(limit), "search_calls": 0}
    (how, code), out, err, used, rss_kb, wall, killed = got
    figures = {"process_seconds": used, "max_rss_mb": rss_kb * 1024 / 1e6, "wall_seconds": wall}
    message = err.decode(errors="replace").strip()
    if killed or (how, code) in (("signal", signal.SIGXCPU), ("signal", signal.SIGKILL)):
        return {**figures, "verdict": "timeout", "process_seconds": float(limit), "measured_seconds": used,
                "search_calls": 0}
    if how == "exit" and code == 0 and out.strip():
        res = json.loads(out.decode().splitlines()[0])
        if res.get("status") == 1:
            res["verdict"] = "timeout"
        return {**res, **figures}
    # Exit status 2 without an answer: the puzzle could not be read.
    verdict = "bad input" if (how, code) == ("exit", 2) and not out.strip() else "error"
    if verdict == "error":
        status = f"ended by signal {code}" if how == "signal" else f"exit status {code}"
        message = status + (f": {message}" if message else "")
    return {**figures, "verdict": verdict, "search_calls": 0, "error": message}


PEER_VERDICTS = {"unique": "unique", "multiple": "several solutions", "none": "no solution"}
# Peers timed in one process for many puzzles, their start-up left out (../shared/puzzles/RESULTS.md):
# not set against ours puzzle by puzzle, whose times include the start.
BATCH_PEERS = {"lalafrog"}


def peer_figures(set_dir):
    """{peer: {puzzle: seconds}} from the set's peer-results files, '>60' counted as 60,
    {peer: {puzzle: verdict}} in our words for the puzzles a peer finished, and {peer: {puzzle}}
    of those it finished."""
    peers, verdicts, finished = {}, {}, {}
    for entry in sorted(os.listdir(set_dir)):
        if not (entry.startswith("peer-results-") and entry.endswith(".csv")):
            continue
        with open(os.path.join(set_dir, entry), newline="") as f:
            for row in csv.DictReader(f):
                sec = row["seconds"].strip()
                value = 60.0 if sec.startswith(">") else float(sec)
                peers.setdefault(row["peer"], {})[row["puzzle"]] = value
                if not sec.startswith(">"):
                    finished.setdefault(row["peer"], set()).add(row["puzzle"])
                    if row["verdict"] in PEER_VERDICTS:
                        verdicts.setdefault(row["peer"], {})[row["puzzle"]] = PEER_VERDICTS[row["verdict"]]
    return peers, verdicts, finished


def fastest_peer(figures_of, finished, puzzle):
    """(peer, seconds) of the fastest peer timed as a whole process that finished the puzzle;
    (None, None) when none did, None when no such peer has it."""
    times = [(figures[puzzle], peer) for peer, figures in figures_of.items()
             if puzzle in figures and peer not in BATCH_PEERS]
    if not times:
        return None
    done = [(t, peer) for t, peer in times if puzzle in finished.get(peer, ())]
    if not done:
        return None, None
    t, peer = min(done)
    return peer, t


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


def versus_text(ours, versus, by_name, worst_n, every_one, uniqueness):
    """Each puzzle's time against the fastest peer that finished it: the median ratio and the
    puzzles furthest behind (or all), and the puzzles no peer finished."""
    question = "the same question" if uniqueness else "ours the full answer, theirs only none, one or several"
    ratios = sorted(((ours[n] / max(t, 1e-6), n, peer, t) for n, (peer, t) in versus.items() if peer),
                    reverse=True)

    def one(r, n, peer, t):
        # Over the limit, ours is at least that: so is the ratio.
        at_least = ">=" if by_name[n]["verdict"] == "timeout" else ""
        return f"{n} {at_least}{sec(r)} (ours {sec(ours[n])} s, {peer} {sec(t)} s)"

    parts = [f"n {len(ratios)}"]
    if ratios:
        parts.append(f"median ratio {sec(statistics.median(r for r, *_ in ratios))}")
        shown = ratios if every_one else ratios[:worst_n]
        parts.append(("each: " if every_one else "worst: ") + ", ".join(one(*x) for x in shown))
    unfinished = [n for n, (peer, _) in versus.items() if not peer]
    if unfinished:
        parts.append("no peer finished: " + ", ".join(f"{n} (ours {sec(ours[n])} s, {by_name[n]['verdict']})"
                                                       for n in unfinished))
    return f"    ours/fastest peer per puzzle (whole processes; {question}): " + "; ".join(parts)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("sets", nargs="*", help="set folders (default: the sets that have peer figures)")
    ap.add_argument("--puzzles", default=DEFAULT_PUZZLES, help="the puzzle folder")
    ap.add_argument("--tool", default=DEFAULT_TOOL, help="the ombrasel-solve executable")
    ap.add_argument("--measure", help="the ombrasel-measure executable (default: bench/ombrasel-measure "
                                      "of the tool's build folder)")
    ap.add_argument("--all", action="store_true", help="every set in the puzzle folder")
    ap.add_argument("--limit", type=int, default=0, help="at most this many puzzles a set")
    ap.add_argument("--every", type=int, default=1,
                    help="only every k-th puzzle of a set: the k-th, the 2k-th, ...")
    ap.add_argument("--timeout", type=float, default=60.0, help="processor seconds a puzzle may take")
    ap.add_argument("--jobs", type=int, default=1, help="puzzles solved at once")
    ap.add_argument("--slowest", type=int, default=3,
                    help="slowest puzzles, and those furthest behind the fastest peer, named per set")
    ap.add_argument("--largest", type=int, default=5, help="puzzles with the most cells whose peak memory is shown")
    ap.add_argument("--ratios", action="store_true",
                    help="print every puzzle's time against the fastest peer's, not only the furthest behind")
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
    measurer = args.measure or os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(args.tool))),
                                            "bench", "ombrasel-measure")
    if not os.access(measurer, os.X_OK):
        sys.exit(f"{measurer}: not built (run scripts/build.sh)")
    names = sorted(os.listdir(args.puzzles)) if args.all else (args.sets or WITH_PEERS)
    sets = [n for n in names if os.path.isdir(os.path.join(args.puzzles, n))]

    def run(puzzle, engine):
        return run_one(args.tool, measurer, puzzle[1], puzzle[2], args.timeout, engine, args.uniqueness)

    rows = []
    every_time, every_timeout, every_result, sets_run = [], 0, [], 0
    question = ("the peers' question: none, one or several" if args.uniqueness else
                "ours the full answer, theirs only none, one or several")
    print("times: user + system s of each whole process, start included; solver s: the tool's own "
          "figure for its solver")
    print(f"{'set':<22} {'n':>5} {'uniq':>5} {'none':>5} {'sev':>5} {'t/o':>4} {'bad':>4} {'err':>4} "
          f"{'total s':>9} {'median s':>9} {'max s':>8} {'solver s':>9} {'searches':>13}   "
          f"peers (total / median over the same puzzles, vs ours, and ours/theirs; {question})")
    for set_name in sets:
        set_dir = os.path.join(args.puzzles, set_name)
        every = max(args.every, 1)
        puzzles = list(puzzles_of(set_dir))[every - 1 :: every]
        if args.limit:
            puzzles = puzzles[: args.limit]
        if not puzzles:
            continue
        with ThreadPoolExecutor(max_workers=args.jobs) as pool:
            results = list(pool.map(lambda p: run(p, args.engine), puzzles))
        if args.compare_engines:
            other = "exhaustive" if args.engine == "learning" else "learning"
            with ThreadPoolExecutor(max_workers=args.jobs) as pool:
                others = list(pool.map(lambda p: run(p, other), puzzles))
            both = [(a, b) for a, b in zip(results, others) if "status" in a and "status" in b]
            # The two solutions that --uniqueness shows may differ between the engines.
            answer = (lambda r: r["status"]) if args.uniqueness else (lambda r: (r["status"], r["result_grid"]))
            differ = [name for (name, _, _), a, b in zip(puzzles, results, others)
                      if "status" in a and "status" in b and answer(a) != answer(b)]
            # The solver's own time: the start of the process is the same for both engines.
            solver_s = lambda r: r.get("cpu_seconds", r["process_seconds"])
            ratio = statistics.median(solver_s(b) / max(solver_s(a), 1e-6) for a, b in both) if both else 0.0
            print(f"    {other}: {sum('status' in b for b in others)} of {len(puzzles)} finished; "
                  f"{len(both)} answered by both, {len(differ)} differently"
                  + (f" ({', '.join(differ[:10])})" if differ else "")
                  + f"; median time ratio {other}/{args.engine} {sec(ratio)}")
        for (name, _, _), res in zip(puzzles, results):
            res["bench_name"] = f"{set_name} {name}"
        figures_of, peer_verdicts, finished = peer_figures(set_dir)
        ours, solver, versus = {}, {}, {}
        counts = {"unique": 0, "no solution": 0, "several solutions": 0, "timeout": 0, "bad input": 0, "error": 0}
        calls = 0
        by_name = {}
        for (name, fmt, text), res in zip(puzzles, results):
            by_name[name] = res
            size = (res["width"], res["height"]) if "width" in res else size_of(fmt, text)
            res["size"] = size
            counts[res["verdict"]] = counts.get(res["verdict"], 0) + 1
            # Calls of search for the exhaustive engine, existence searches for the learning one.
            searches = int(res.get("search_calls", 0)) + int(res.get("queries", 0))
            calls += searches
            if res["verdict"] in ANSWERED:
                ours[name] = res["process_seconds"]
                if "cpu_seconds" in res:
                    solver[name] = res["cpu_seconds"]
                fastest = fastest_peer(figures_of, finished, name)
                if fastest is not None:
                    versus[name] = fastest
            else:
                print(f"  {set_name} {name}: {res['verdict']}: {res.get('error', '')}", file=sys.stderr)
            peer, peer_s = versus.get(name, (None, None))
            ratio = ours[name] / max(peer_s, 1e-6) if peer and name in ours else None
            rows.append((set_name, name, res["verdict"], res.get("difficulty", ""),
                         f"{ours[name]:.6f}" if name in ours else "", searches,
                         res.get("cpu_seconds", ""), f"{res['max_rss_mb']:.2f}" if "max_rss_mb" in res else "",
                         size[0] if size else "", size[1] if size else "",
                         peer or "", peer_s if peer else "", f"{ratio:.4g}" if ratio is not None else ""))
        total, median, slowest = summary(list(ours.values()))
        verdict_of = {name: res["verdict"] for (name, _, _), res in zip(puzzles, results)}
        peer_text = []
        for peer, figures in sorted(figures_of.items()):
            common = [p for p in figures if p in ours]
            if not common:
                continue
            pt, pm, _ = summary([figures[p] for p in common])
            ot, om, _ = summary([ours[p] for p in common])
            # Verdicts of puzzles that both finished and answered differently: a fault of someone's.
            disagree = [p for p, v in peer_verdicts.get(peer, {}).items()
                        if verdict_of.get(p) in VERDICTS and verdict_of[p] != v]
            batch = " (its start-up left out)" if peer in BATCH_PEERS else ""
            peer_text.append(f"{peer}{batch} n={len(common)}: {sec(pt)}/{sec(pm)} vs ours {sec(ot)}/{sec(om)}, "
                             f"ours/theirs {sec(ot / max(pt, 1e-9))}/{sec(om / max(pm, 1e-9))}"
                             + (f" DIFFERENT VERDICTS {','.join(disagree[:5])}" if disagree else ""))
        if not peer_text and figures_of:
            peer_text.append("none compared: ours answered none of the peers' puzzles")
        print(f"{set_name:<22} {len(puzzles):>5} {counts['unique']:>5} {counts['no solution']:>5} "
              f"{counts['several solutions']:>5} {counts['timeout']:>4} {counts['bad input']:>4} "
              f"{counts['error']:>4} {sec(total):>9} {sec(median):>9} {sec(slowest):>8} "
              f"{sec(sum(solver.values())):>9} {calls:>13}   " + "; ".join(peer_text))
        for kind in ("bad input", "error"):
            names_of = [name for name in by_name if by_name[name]["verdict"] == kind]
            if names_of:
                # A message's last part, without the line it names: "more than 25 columns".
                why = Counter((by_name[name].get("error", "").splitlines() or ["?"])[-1].rsplit(": ", 1)[-1]
                              for name in names_of)
                print(f"    {kind}: {len(names_of)}, neither timed nor compared ("
                      + ", ".join(f"{r}: {n}" for r, n in why.most_common()) + ")")
        if ours:
            worst = sorted(ours.items(), key=lambda kv: -kv[1])[: args.slowest]
            print("    slowest: " + ", ".join(f"{name} {sec(s)} s" for name, s in worst))
            print(tail_row("tail", list(ours.values()), counts["timeout"]))
        else:
            worst = []
        if versus:
            print(versus_text(ours, versus, by_name, args.slowest, args.ratios, args.uniqueness))
        # The most cells first; among equals, the most memory.
        measured = [(n, r) for n, r in by_name.items() if r["size"] and "max_rss_mb" in r]
        largest = sorted(measured, key=lambda nr: (-nr[1]["size"][0] * nr[1]["size"][1], -nr[1]["max_rss_mb"],
                                                   nr[0]))[: args.largest]
        if largest:
            most = max(measured, key=lambda nr: nr[1]["max_rss_mb"])
            print(f"    peak memory of the {len(largest)} largest: " + ", ".join(
                f"{n} {r['size'][0]}x{r['size'][1]} {r['max_rss_mb']:.1f} MB"
                + ("" if r["verdict"] in VERDICTS else f" ({r['verdict']})") for n, r in largest)
                + f"; most in the set: {most[0]} {most[1]['max_rss_mb']:.1f} MB")
        if args.stats:
            print("    phases: " + phase_text(results))
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
            out.writerow(["set", "puzzle", "verdict", "difficulty", "seconds", "searches", "solver_seconds",
                          "max_rss_mb", "width", "height", "fastest_peer", "fastest_peer_seconds",
                          "ratio_to_fastest_peer"])
            out.writerows(rows)


if __name__ == "__main__":
    main()
