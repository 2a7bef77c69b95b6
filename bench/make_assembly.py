#!/usr/bin/env python3
"""Writes a generated assembly with real alpha-satellite arrays at known places,
and the BED of those arrays, for the alpha-satellite filter's benchmark.

    bench/make_assembly.py OUT.fa TRUTH.bed [--size MB] [--seed N] [--data DIR]

Records of random sequence (about --size megabases, default 100, in six
records of 30, 25, 20, 15, 7 and 3 % plus an empty record) with assembly gaps
(runs of 100 to 50,000 N, five per record) and, each at a random place away
from the gaps, the real sequences of DIR (default bench/data, see its
SOURCES.md): the CHM13 chr21 HOR array (cen21.fa) forward in the first record and
reverse-complemented in the third, and the 2.1 Mb CHM13 chrY centromere region
(SST1, HSat3, bSat and composite repeats beside the DYZ3 array and its
monomeric flanks) forward in the second record and reverse-complemented in the
fourth. TRUTH.bed lists the alpha satellite among them (0-based, half-open):
cen21 whole, and the chrY region's `active_hor` and `mon` intervals of its
cenSat.bed, joined where they touch; the name column says which.
"""

import argparse
import gzip
import os
import random

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
COMPLEMENT = bytes.maketrans(b"ACGTNacgtn", b"TGCANtgcan")
# Random bytes to bases: every byte value to one of ACGT (64 each).
TO_BASES = bytes(b"ACGT"[v % 4] for v in range(256))
LINE = 80


def read_fasta(path):
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rb") as handle:
        return b"".join(line.strip() for line in handle if not line.startswith(b">")).upper()


def alpha_intervals(bed_path):
    """The active_hor and mon intervals of a cenSat BED, joined where they touch."""
    intervals = []
    with open(bed_path) as handle:
        for line in handle:
            fields = line.split("\t")
            if line.startswith("track") or len(fields) < 4:
                continue
            if fields[3].startswith(("active_hor", "mon")):
                start, end = int(fields[1]), int(fields[2])
                if intervals and intervals[-1][1] == start:
                    intervals[-1][1] = end
                else:
                    intervals.append([start, end])
    return intervals


def reverse_complement(sequence):
    return sequence.translate(COMPLEMENT)[::-1]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("fasta")
    parser.add_argument("truth")
    parser.add_argument("--size", type=float, default=100.0, help="megabases (default 100)")
    parser.add_argument("--seed", type=int, default=171)
    parser.add_argument("--data", default=os.path.join(SOURCE, "bench", "data"))
    args = parser.parse_args()
    rng = random.Random(args.seed)

    cen21 = read_fasta(os.path.join(args.data, "chm13_cen21", "cen21.fa"))
    chrY = read_fasta(os.path.join(args.data, "chm13_chrY", "chrY_9586662_11690972.fa.gz"))
    chrY_alpha = alpha_intervals(os.path.join(args.data, "chm13_chrY", "cenSat.bed"))

    def place(name, sequence, alpha, reverse):
        if reverse:
            sequence = reverse_complement(sequence)
            alpha = [(len(sequence) - end, len(sequence) - start) for start, end in alpha]
        return (name, sequence, sorted(alpha))

    embedded = {
        0: [place("cen21", cen21, [(0, len(cen21))], False)],
        1: [place("chrY", chrY, chrY_alpha, False)],
        2: [place("cen21_rc", cen21, [(0, len(cen21))], True)],
        3: [place("chrY_rc", chrY, chrY_alpha, True)],
    }
    total = int(args.size * 1e6)
    shares = [0.30, 0.25, 0.20, 0.15, 0.07, 0.03]
    with open(args.fasta, "wb") as fasta, open(args.truth, "w") as truth:
        for index, share in enumerate(shares):
            name = f"rec{index + 1}"
            length = int(total * share)
            record = bytearray(rng.randbytes(length).translate(TO_BASES))
            # Gaps and embedded pieces at distinct places: one slot each.
            pieces = embedded.get(index, [])
            slots = rng.sample(range(1, 20), 5 + len(pieces))
            slot_length = length // 20
            for slot in slots[: 5]:
                at = slot * slot_length + rng.randrange(slot_length // 2)
                gap = rng.randrange(100, 50001)
                record[at : at + gap] = b"N" * min(gap, length - at)
            for slot, (label, sequence, alpha) in zip(slots[5:], pieces):
                at = slot * slot_length
                record[at : at + len(sequence)] = sequence
                for number, (start, end) in enumerate(alpha):
                    truth.write(f"{name}\t{at + start}\t{at + end}\t{label}.{number + 1}\n")
            del record[length:]
            fasta.write(f">{name}\n".encode())
            for at in range(0, len(record), LINE):
                fasta.write(bytes(record[at : at + LINE]) + b"\n")
        fasta.write(b">empty\n")


if __name__ == "__main__":
    main()
