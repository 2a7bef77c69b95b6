#!/usr/bin/env python3
"""Builds an array whose HOR changes part-way, as an ensemble file.

The first COPIES copies are the full HOR of the monomer types in MONOMERS.fa;
the next COPIES copies are a variant HOR without the types at 0-based places
DROPPED (comma-separated) and with the type at place CHANGED replaced by a
copy of it 12 % diverged (made once, then copied like any type). Every copy of
every type is mutated by DIVERGENCE as in make_array.py. Output as there.

    examples/make_variants.py examples/dxz1_monomers.fa 20 0.02 3,4,5,6 9 > variants.ens
"""

import random
import sys

from make_array import mutate, read_fasta, write_copies


def main(argv):
    if len(argv) != 6:
        sys.exit("usage: make_variants.py MONOMERS.fa COPIES DIVERGENCE DROPPED CHANGED")
    types = read_fasta(argv[1])
    copies, divergence = int(argv[2]), float(argv[3])
    dropped = {int(place) for place in argv[4].split(",")}
    changed = int(argv[5])
    rng = random.Random(1)
    variant = []
    for place, (name, sequence) in enumerate(types):
        if place in dropped:
            continue
        if place == changed:
            name, sequence = name + "v", mutate(sequence, 0.12, rng)
        variant.append((name, sequence))
    write_copies([types] * copies + [variant] * copies, divergence, rng, sys.stdout)

if __name__ == "__main__":
    main(sys.argv)
