#!/usr/bin/env python3
"""Wall time and peak memory of `horgrid-tools dotplot -t 2` straight from FASTA.

    bench/dotplot_scale.py BUILD/horgrid-tools WORK_DIRECTORY [MEGABASES...]

For each size (default 1 and 10), writes WORK_DIRECTORY/dotplot_<MB>Mb.fa: one
record of stretches of random sequence (30 %) and DXZ1 HOR arrays (copies of
the 12 monomers of examples/dxz1_monomers.fa, each copy mutated by 1-3 %,
drawn from a pool of 300), draws its heat map (1000 x 1000 windows) under
/usr/bin/time -v and prints the wall time, the processor time and the peak
resident set size (of the command or gnuplot, whichever is larger), then the
ratio of each time to the first size's. Targets: 10 Mb under 60 s and 1 GB,
and at most 20 x the 1 Mb record.
"""

import glob
import os
import random
import sys

from decompose_memory import timed_run, write_record


def piece(rng, pool):
    """100 kb of random sequence (30 %) or 150 HOR copies."""
    if rng.random() < 0.3:
        return bytes(rng.choice(b"ACGT") for _ in range(100000))
    return b"".join(pool[rng.randrange(len(pool))] for _ in range(150))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    tools, work = sys.argv[1], sys.argv[2]
    sizes = sys.argv[3:] or ["1", "10"]
    os.makedirs(work, exist_ok=True)
    rng = random.Random(26)
    print("record\twall s\tprocessor s\tpeak RSS (MB)\twall / first")
    first = None
    for size in sizes:
        path = os.path.join(work, f"dotplot_{size}Mb.fa")
        if not os.path.exists(path):
            write_record(path, float(size), rng, piece)
        prefix = os.path.join(work, f"dotplot_out_{size}")
        run, seconds, processor, peak = timed_run([tools, "dotplot", "-t", "2", "-o", prefix, path])
        for result in glob.glob(prefix + "_dotplot*"):
            os.remove(result)
        if run.returncode != 0:
            sys.exit(f"dotplot failed on {path}: {run.stderr}")
        first = first or seconds
        print(f"{size} Mb\t{seconds:.2f}\t{processor:.2f}\t{peak:.0f}\t{seconds / first:.1f}")


if __name__ == "__main__":
    main()
