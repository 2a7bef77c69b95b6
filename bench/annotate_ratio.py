#!/usr/bin/env python3
"""`annotate` per base against `decompose` with the array's own HOR monomers, one thread each.

    bench/annotate_ratio.py BUILD/horgrid-tools WORK_DIRECTORY [--data bench/data] [--runs 3]

Two arrays: the CHM13 cen21 array (DATA/chm13_cen21/cen21.fa, decomposed with the 11 standard
monomers S2C13/21H1L.1-11 of data/AS-HOR.consensus.fa.gz, the first record of each name) and a
3 Mb record of DXZ1 HOR copies (bench/decompose_memory.py, decomposed with the 12 monomers of
examples/dxz1_monomers.fa). Each command runs `--runs` times with -t 1: decompose, annotate
--no-report and annotate with its report page (the heat map and the pictures gnuplot draws).
It prints the median processor seconds (user + system of the process and its children, gnuplot
included, from the rusage of os.wait4, to the microsecond) and the ratios annotate / decompose (target:
at most 2), without and with the report; and both per base: past each command's fixed cost, its
time on the record's first 2,000 bases (annotate builds its k-mer tables, starts its page), i.e.
(annotate - annotate on 2,000 bases) / (decompose - decompose on 2,000 bases). Processor time, not
wall time, so that a loaded machine still gives the work done; the ratios move by about 10 %
between runs under load (cen21's times are a few hundredths of a second).
"""

import argparse
import gzip
import os
import random
import re
import statistics

import subprocess

from decompose_memory import MONOMERS, SOURCE, write_record


def cen21_monomers(path):
    """The first record of each S2C13/21H1L.<number> name, in number order, to `path`."""
    seen, records, name = set(), {}, None
    with gzip.open(os.path.join(SOURCE, "data", "AS-HOR.consensus.fa.gz"), "rt") as handle:
        for line in handle:
            if line.startswith(">"):
                name = line[1:].split()[0]
                keep = re.fullmatch(r"S2C13/21H1L\.\d+", name) and name not in seen
                seen.add(name)
                name = name if keep else None
            elif name:
                records[name] = records.get(name, "") + line.strip()
    with open(path, "w") as out:
        for key in sorted(records, key=lambda n: int(n.split(".")[1])):
            out.write(f">{key}\n{records[key]}\n")


def processor(tools, arguments, prefix, runs):
    """The median processor seconds (user + system, the waited-for children included) of `runs` runs."""
    seconds = []
    for _ in range(runs):
        command = [tools] + arguments[:1] + ["-t", "1", "-o", prefix] + arguments[1:]
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        error = child.stderr.read()
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        if child.returncode != 0:
            raise SystemExit(f"{arguments[0]} failed: {error.strip()[-300:]}")
        seconds.append(usage.ru_utime + usage.ru_stime)
    return statistics.median(seconds)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("tools")
    parser.add_argument("work")
    parser.add_argument("--data", default=os.path.join(SOURCE, "bench", "data"))
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    cen21_set = os.path.join(args.work, "S2C13_21H1L.fa")
    cen21_monomers(cen21_set)
    dxz1 = os.path.join(args.work, "threads_3Mb.fa")
    if not os.path.exists(dxz1):
        write_record(dxz1, 3, random.Random(171))
    cases = [("cen21", os.path.join(args.data, "chm13_cen21", "cen21.fa"), cen21_set), ("DXZ1 3 Mb", dxz1, MONOMERS)]
    print("array\tdecompose s\tannotate s\twith report s\tratio\twith report\tper base\tper base with report")
    for name, record, monomers in cases:
        prefix = os.path.join(args.work, "ratio", "run")
        os.makedirs(os.path.dirname(prefix), exist_ok=True)
        start = os.path.join(args.work, "start.fa")
        with open(record) as handle, open(start, "w") as out:
            lines = handle.read().split("\n", 1)
            out.write(lines[0] + "\n" + lines[1].replace("\n", "")[:2000] + "\n")
        fixed = {"decompose": processor(args.tools, ["decompose", start, monomers], prefix, args.runs),
                 "annotate": processor(args.tools, ["annotate", "--no-report", start], prefix, args.runs),
                 "report": processor(args.tools, ["annotate", start], prefix, args.runs)}
        decompose = processor(args.tools, ["decompose", record, monomers], prefix, args.runs)
        annotate = processor(args.tools, ["annotate", "--no-report", record], prefix, args.runs)
        report = processor(args.tools, ["annotate", record], prefix, args.runs)
        past = max(decompose - fixed["decompose"], 1e-9)
        per_base = (annotate - fixed["annotate"]) / past
        per_base_report = (report - fixed["report"]) / past
        print(f"{name}\t{decompose:.3f}\t{annotate:.3f}\t{report:.3f}\t{annotate / decompose:.2f}\t"
              f"{report / decompose:.2f}\t{per_base:.2f}\t{per_base_report:.2f}", flush=True)


if __name__ == "__main__":
    main()
