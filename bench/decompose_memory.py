#!/usr/bin/env python3
"""Peak memory and time of `horgrid-tools decompose -t 1` on one long record.

    bench/decompose_memory.py BUILD/horgrid-tools WORK_DIRECTORY MEGABASES...

For each size, writes WORK_DIRECTORY/record_<MB>Mb.fa: one record of 12-monomer
DXZ1 HOR copies (examples/dxz1_monomers.fa), each copy mutated by 1-3 % (copies
drawn from a pool of 300 mutated ones, so that even 250 Mb is written in
seconds), decomposes it with those monomers under /usr/bin/time -v and prints
the wall time, processor time and maximum resident set size. The result files
are removed after each run.
"""

import glob
import os
import random
import re
import shutil
import subprocess
import sys

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(SOURCE, "examples"))
from make_array import mutate, read_fasta  # noqa: E402

MONOMERS = os.path.join(SOURCE, "examples", "dxz1_monomers.fa")


def hor_copies(rng, count=300):
    """`count` copies of the DXZ1 HOR, each mutated by 1-3 %, as bytes."""
    types = read_fasta(MONOMERS)
    pool = []
    for _ in range(count):
        divergence = rng.uniform(0.01, 0.03)
        pool.append("".join(mutate(sequence, divergence, rng) for _, sequence in types).encode())
    return pool


def write_record(path, megabases, rng, piece=None):
    """One record `megabases` long of pieces: piece(rng, pool) when given,
    else one HOR copy of the pool at a time."""
    pool = hor_copies(rng)
    target = int(megabases * 1e6)
    with open(path, "wb") as out:
        out.write(b">array\n")
        written = 0
        while written < target:
            copy = (piece(rng, pool) if piece else pool[rng.randrange(len(pool))])[: target - written]
            out.write(copy + b"\n")
            written += len(copy)


def timed_run(arguments):
    """Runs `arguments` under /usr/bin/time -v: the run and, when it succeeded,
    its wall seconds, processor seconds and peak resident set size in MB."""
    run = subprocess.run(["/usr/bin/time", "-v"] + arguments, capture_output=True, text=True)
    if run.returncode != 0:
        return run, None, None, None
    wall = re.search(r"Elapsed \(wall clock\) time \(h:mm:ss or m:ss\): (\S+)", run.stderr).group(1)
    seconds = sum(float(part) * 60 ** i for i, part in enumerate(reversed(wall.split(":"))))
    user = float(re.search(r"User time \(seconds\): (\S+)", run.stderr).group(1))
    system = float(re.search(r"System time \(seconds\): (\S+)", run.stderr).group(1))
    peak = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", run.stderr).group(1))
    return run, seconds, user + system, peak / 1000


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    tools, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    rng = random.Random(171)
    print("record\twall s\tprocessor s\tpeak RSS (MB)")
    for size in sys.argv[3:]:
        path = os.path.join(work, f"record_{size}Mb.fa")
        if not os.path.exists(path):
            write_record(path, float(size), rng)
        prefix = os.path.join(work, f"out_{size}")
        run, wall, processor, peak = timed_run([tools, "decompose", "-t", "1", "-o", prefix, path, MONOMERS])
        for result in glob.glob(prefix + "*"):
            if os.path.isdir(result):
                shutil.rmtree(result)
            else:
                os.remove(result)
        if run.returncode != 0:
            print(f"{size} Mb\tfailed: {run.stderr.strip()[-300:]}")
            continue
        print(f"{size} Mb\t{wall:.1f}\t{processor:.1f}\t{peak:.0f}", flush=True)

if __name__ == "__main__":
    main()
