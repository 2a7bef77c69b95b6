#!/usr/bin/env python3
"""The alpha-satellite filter over a generated 100 Mb assembly: time, peak
memory and the stretches found against the embedded arrays.

    bench/scan_assembly.py BUILD/bench/horgrid_scan_bench WORK_DIRECTORY [--data DIR]

Writes WORK_DIRECTORY/assembly.fa and assembly.truth.bed with
bench/make_assembly.py (once), runs the filter under /usr/bin/time -v and
prints, per embedded array, the stretch that overlaps it and the distance of
its two ends, then every stretch that overlaps no array (false calls).
"""

import argparse
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def read_bed(path):
    with open(path) as handle:
        return [(f[0], int(f[1]), int(f[2]), f[3] if len(f) > 3 else "")
                for f in (line.rstrip("\n").split("\t") for line in handle) if len(f) >= 3]


def generated_assembly(work, data=None):
    """WORK/assembly.fa and WORK/assembly.truth.bed, written by make_assembly.py when missing."""
    os.makedirs(work, exist_ok=True)
    fasta = os.path.join(work, "assembly.fa")
    truth_path = os.path.join(work, "assembly.truth.bed")
    if not os.path.exists(fasta) or not os.path.exists(truth_path):
        command = [sys.executable, os.path.join(HERE, "make_assembly.py"), fasta, truth_path]
        if data:
            command += ["--data", data]
        subprocess.run(command, check=True)
    return fasta, truth_path


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("bench")
    parser.add_argument("work")
    parser.add_argument("--data", default=None, help="the real data folder (default: make_assembly.py's)")
    args = parser.parse_args()
    fasta, truth_path = generated_assembly(args.work, args.data)
    run = subprocess.run(["/usr/bin/time", "-v", args.bench, fasta], capture_output=True, text=True, check=True)
    sys.stderr.write("".join(line + "\n" for line in run.stderr.splitlines()
                             if not line.startswith("\t") or "Maximum resident" in line or "Elapsed" in line))
    found = read_bed_text(run.stdout)
    truth = read_bed(truth_path)
    used = set()
    worst = 0
    print("array\trecord\tstart\tend\tfound start\tfound end\tstart distance\tend distance")
    for record, start, end, name in truth:
        hits = [i for i, f in enumerate(found) if f[0] == record and f[1] < end and start < f[2]]
        used.update(hits)
        if not hits:
            print(f"{name}\t{record}\t{start}\t{end}\tMISSED")
            worst = float("inf")
            continue
        first, last = found[hits[0]], found[hits[-1]]
        worst = max(worst, abs(first[1] - start), abs(last[2] - end))
        pieces = f" ({len(hits)} stretches)" if len(hits) > 1 else ""
        print(f"{name}\t{record}\t{start}\t{end}\t{first[1]}\t{last[2]}\t{first[1] - start}\t{last[2] - end}{pieces}")
    false_calls = [f for i, f in enumerate(found) if i not in used]
    for record, start, end, _ in false_calls:
        print(f"false call\t{record}\t{start}\t{end}")
    print(f"largest end distance {worst} bases; {len(false_calls)} false calls")


def read_bed_text(text):
    return [(f[0], int(f[1]), int(f[2]), f[3] if len(f) > 3 else "")
            for f in (line.split("\t") for line in text.splitlines()) if len(f) >= 3]


if __name__ == "__main__":
    main()
