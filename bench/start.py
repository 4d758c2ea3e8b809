#!/usr/bin/env python3
"""Measures what one start of ombrasel-solve costs: the processor time of a whole run on a 1 x 1
puzzle, beside that of a process that does nothing (/bin/true).

Authors and scripts run the tool once a file, so on small puzzles its start (loading and
relocating its libraries, the runtime's set-up) is most of what a run costs. Each run is one
child process, started with posix_spawn and reaped with wait4; its time is the user plus system
time the kernel reports for it, start and exit included. The runs of all the commands take turns,
so that a slow spell of the machine falls on each of them alike.

Each binary runs `--uniqueness` on a .non puzzle and on a webpbn XML puzzle (the XML reader may
cost a start something of its own). The table gives the median and mean milliseconds a run, and
the median's ratio to /bin/true's.
"""

import argparse
import os
import statistics
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_TOOL = os.path.join(ROOT, "build", "native", "cli", "ombrasel-solve")
NULL_PROCESS = "/bin/true"

NON_PUZZLE = "width 1\nheight 1\n\nrows\n1\n\ncolumns\n1\n"
XML_PUZZLE = """<?xml version="1.0"?>
<puzzleset><puzzle type="grid" defaultcolor="black">
<clues type="columns"><line><count>1</count></line></clues>
<clues type="rows"><line><count>1</count></line></clues>
</puzzle></puzzleset>
"""


def run_once(argv):
    """Processor seconds (user + system) of one run of argv; exits if it fails."""
    devnull = os.open(os.devnull, os.O_WRONLY)
    try:
        actions = [(os.POSIX_SPAWN_DUP2, devnull, 1), (os.POSIX_SPAWN_DUP2, devnull, 2)]
        pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=actions)
    finally:
        os.close(devnull)
    _, status, usage = os.wait4(pid, 0)
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit(f"{' '.join(argv)}: exit code {code}")
    return usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--binary", action="append", metavar="PATH",
                        help="an ombrasel-solve to measure; give it again to compare several "
                             f"(default: {os.path.relpath(DEFAULT_TOOL, ROOT)})")
    parser.add_argument("--runs", "-n", type=int, default=200, metavar="N",
                        help="runs of each command (default 200)")
    parser.add_argument("--warm-up", type=int, default=5, metavar="N",
                        help="runs of each command first, not counted (default 5)")
    args = parser.parse_args()
    if args.runs < 1:
        parser.error("--runs must be at least 1")
    binaries = args.binary or [DEFAULT_TOOL]
    for binary in binaries:
        if not os.access(binary, os.X_OK):
            sys.exit(f"{binary}: not an executable file (build it first)")

    with tempfile.TemporaryDirectory(prefix="ombrasel-start-") as folder:
        non = os.path.join(folder, "one.non")
        xml = os.path.join(folder, "one.xml")
        with open(non, "w") as f:
            f.write(NON_PUZZLE)
        with open(xml, "w") as f:
            f.write(XML_PUZZLE)

        commands = [(NULL_PROCESS, [NULL_PROCESS])]
        for binary in binaries:
            path = os.path.abspath(binary)
            commands.append((f"{binary} .non", [path, "--uniqueness", non]))
            commands.append((f"{binary} .xml", [path, "--uniqueness", xml]))

        for _ in range(args.warm_up):
            for _, argv in commands:
                run_once(argv)
        times = {label: [] for label, _ in commands}
        for _ in range(args.runs):
            for label, argv in commands:
                times[label].append(run_once(argv))

    null_median = statistics.median(times[NULL_PROCESS])
    width = max(len(label) for label, _ in commands)
    print(f"processor time (user + system) a run, {args.runs} runs each")
    print(f"{'command':<{width}}  {'median ms':>9}  {'mean ms':>8}  {'x true':>6}")
    for label, _ in commands:
        median = statistics.median(times[label])
        mean = statistics.fmean(times[label])
        ratio = median / null_median if null_median > 0 else float("nan")
        print(f"{label:<{width}}  {median * 1e3:9.3f}  {mean * 1e3:8.3f}  {ratio:6.2f}")


if __name__ == "__main__":
    main()
