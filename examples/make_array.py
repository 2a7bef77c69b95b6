#!/usr/bin/env python3
"""Builds a synthetic alpha-satellite array as an ensemble file.

The monomer types of a FASTA file (one record per type, in HOR order) are laid
head to tail as a higher-order repeat copied COPIES times; every base of every
copy is substituted, deleted or followed by an insertion with total probability
DIVERGENCE, so copies of one type differ by about that fraction while distinct
types keep their own 20-35 % difference. The true HOR structure is thus known:
one column per type, one row per copy.

Output: one line per monomer, "name direction position length sequence"
(the five-column ensemble layout), positions counted along the array; with
--fasta instead the array itself as one FASTA record named "array", the input
of horgrid-tools decompose.

    examples/make_array.py examples/dxz1_monomers.fa 25 0.02 > examples/dxz1.ens
    examples/make_array.py --fasta examples/dxz1_monomers.fa 25 0.02 > array.fa
"""

import random
import sys


def read_fasta(path):
    records, name, bases = [], None, []
    with open(path) as handle:
        for line in handle:
            line = line.strip()
            if line.startswith(">"):
                if name is not None:
                    records.append((name, "".join(bases)))
                name, bases = line[1:].split("_")[0], []
            elif line:
                bases.append(line.upper())
    if name is not None:
        records.append((name, "".join(bases)))
    return records


def mutate(sequence, divergence, rng):
    out = []
    for base in sequence:
        roll = rng.random()
        if roll < divergence * 0.8:
            out.append(rng.choice([b for b in "ACGT" if b != base]))
        elif roll < divergence * 0.9:
            continue
        elif roll < divergence:
            out.append(base)
            out.append(rng.choice("ACGT"))
        else:
            out.append(base)
    return "".join(out)


def write_copies(hors, divergence, rng, out):
    """Writes one line per monomer of the HOR copies `hors` (each a list of
    (name, sequence) types), every one mutated by `divergence`; copies are
    numbered from 1 and positions counted along the array."""
    position = 1
    for copy, hor in enumerate(hors, 1):
        for name, sequence in hor:
            monomer = mutate(sequence, divergence, rng)
            out.write(f"{name}{copy} + {position} {len(monomer)} {monomer}\n")
            position += len(monomer)


def main(argv):
    fasta = "--fasta" in argv
    argv = [arg for arg in argv if arg != "--fasta"]
    if len(argv) not in (4, 5):
        sys.exit("usage: make_array.py [--fasta] MONOMERS.fa COPIES DIVERGENCE [SEED]")
    types = read_fasta(argv[1])
    copies, divergence = int(argv[2]), float(argv[3])
    rng = random.Random(int(argv[4]) if len(argv) == 5 else 1)
    if not fasta:
        write_copies([types] * copies, divergence, rng, sys.stdout)
        return
    bases = "".join(mutate(sequence, divergence, rng) for _ in range(copies) for _, sequence in types)
    sys.stdout.write(">array\n")
    for start in range(0, len(bases), 60):
        sys.stdout.write(bases[start:start + 60] + "\n")


if __name__ == "__main__":
    main(sys.argv)
