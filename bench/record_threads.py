#!/usr/bin/env python3
"""Threads inside one record: `decompose` and `annotate` with 1, 2 and 3 threads.

    bench/record_threads.py BUILD/horgrid-tools WORK_DIRECTORY [MEGABASES]

Writes WORK_DIRECTORY/threads_<MB>Mb.fa (default 3 Mb): one record of DXZ1 HOR
copies (bench/decompose_memory.py), then runs `decompose` (with the 12 DXZ1
monomers) and `annotate` on it with -t 1 and -t 2 in turn, three pairs each,
and prints the wall and processor seconds of every run and the median ratio of
paired wall times (target: at least 1.6). Every result file must be the same
bytes for 1, 2 and 3 threads. Wall times are only meaningful on a machine with
two idle cores: on a shared one, read the processor seconds (the work done) and
compare the ratio with the load.
"""

import filecmp
import glob
import os
import random
import statistics
import sys

from decompose_memory import MONOMERS, timed_run, write_record


def results(prefix):
    files = []
    for path in sorted(glob.glob(prefix + "*")):
        if os.path.isdir(path):
            files += sorted(os.path.join(path, name) for name in os.listdir(path))
        else:
            files.append(path)
    return files


def run(tools, command, threads, path, prefix):
    os.makedirs(os.path.dirname(prefix), exist_ok=True)
    arguments = [tools, command, "-t", str(threads), "-o", prefix, path]
    if command == "decompose":
        arguments.append(MONOMERS)
    outcome, wall, processor, _ = timed_run(arguments)
    if outcome.returncode != 0:
        sys.exit(f"{command} -t {threads} failed: {outcome.stderr.strip()[-300:]}")
    return wall, processor


def same_results(prefixes):
    first = results(prefixes[0])
    for prefix in prefixes[1:]:
        other = results(prefix)
        if len(other) != len(first):
            return False
        for a, b in zip(first, other):
            if not filecmp.cmp(a, b, shallow=False):
                return False
    return True


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    tools, work = sys.argv[1], sys.argv[2]
    size = sys.argv[3] if len(sys.argv) > 3 else "3"
    os.makedirs(work, exist_ok=True)
    path = os.path.join(work, f"threads_{size}Mb.fa")
    if not os.path.exists(path):
        write_record(path, float(size), random.Random(171))
    print("command\tthreads\twall s\tprocessor s")
    for command in ("decompose", "annotate"):
        ratios = []
        for _ in range(3):
            walls = {}
            for threads in (1, 2):
                walls[threads], processor = run(tools, command, threads, path,
                                                os.path.join(work, f"{command}_t{threads}", "run"))
                print(f"{command}\t{threads}\t{walls[threads]:.2f}\t{processor:.2f}", flush=True)
            ratios.append(walls[1] / walls[2])
        run(tools, command, 3, path, os.path.join(work, f"{command}_t3", "run"))
        prefixes = [os.path.join(work, f"{command}_t{t}", "run") for t in (1, 2, 3)]
        same = same_results(prefixes)
        print(f"{command}: 2 threads {statistics.median(ratios):.2f} x one (median of 3 pairs); "
              f"results for 1, 2, 3 threads {'identical' if same else 'DIFFER'}")
        if not same:
            sys.exit(1)


if __name__ == "__main__":
    main()
