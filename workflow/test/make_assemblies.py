#!/usr/bin/env python3
"""Writes two small assemblies for the workflow test and their sample table.

    workflow/test/make_assemblies.py OUT_DIR

asm1.fa (plain FASTA): a record with the 10 kb cen21 stretch of the report
fixture (tests/data/report/fixture.fa) between random flanks, a record of
random sequence only, an empty record, and a record with a generated DXZ1
array (examples/make_array.py) between assembly gaps (N runs).
asm2.fa.gz (bgzip): a reverse-complemented DXZ1 array with lower-case bases,
a random record whose name holds ':' and '-' as region syntax does, and a
record of 1.1 Mb (long enough for annotate to scan it for alpha satellite
first) with a DXZ1 array in the middle; asm3.fa.gz is the same in plain gzip.
"""
import os
import random
import subprocess
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "examples"))
from make_array import read_fasta  # noqa: E402  (records as (name, bases), names cut at '_')


def dxz1_array(copies, seed):
    text = subprocess.run([sys.executable, os.path.join(ROOT, "examples", "make_array.py"), "--fasta",
                           os.path.join(ROOT, "examples", "dxz1_monomers.fa"), str(copies), "0.02", str(seed)],
                          check=True, capture_output=True, text=True).stdout
    return "".join(line.strip() for line in text.splitlines() if not line.startswith(">"))


def reverse_complement(sequence):
    return sequence[::-1].translate(str.maketrans("ACGTacgtNn", "TGCAtgcaNn"))


def write_fasta(path, records):
    with open(path, "w") as out:
        for name, sequence in records:
            out.write(f">{name}\n")
            for i in range(0, len(sequence), 60):
                out.write(sequence[i:i + 60] + "\n")


def main(out):
    rng = random.Random(19)
    def random_bases(n):
        return "".join(rng.choices("ACGT", k=n))
    os.makedirs(out, exist_ok=True)
    cen21 = dict(read_fasta(os.path.join(ROOT, "tests", "data", "report", "fixture.fa")))["cen21"]
    write_fasta(os.path.join(out, "asm1.fa"), [
        ("chr1", random_bases(15000) + cen21 + random_bases(5000)),
        ("chr2", random_bases(8000)),
        ("chr3", ""),
        ("chr4", random_bases(3000) + "N" * 500 + dxz1_array(8, 2) + "N" * 200 + random_bases(2000)),
    ])
    write_fasta(os.path.join(out, "asm2.fa"), [
        ("chrA", random_bases(4000) + reverse_complement(dxz1_array(10, 3)).lower() + random_bases(4000)),
        ("chrB:1-100", random_bases(100) + "N" * 300 + random_bases(5000)),
        ("chrC", random_bases(600000) + dxz1_array(6, 4) + random_bases(500000)),
    ])
    subprocess.run(["gzip", "-kn", os.path.join(out, "asm2.fa")], check=True)
    os.replace(os.path.join(out, "asm2.fa.gz"), os.path.join(out, "asm3.fa.gz"))
    subprocess.run(["bgzip", "-f", os.path.join(out, "asm2.fa")], check=True)
    with open(os.path.join(out, "samples.tsv"), "w") as table:
        table.write(f"name\tassembly\nasm1\t{out}/asm1.fa\nasm2\t{out}/asm2.fa.gz\nasm3\t{out}/asm3.fa.gz\n")


if __name__ == "__main__":
    main(os.path.abspath(sys.argv[1]))
