#!/usr/bin/env python3
"""Writes the report test fixture: an annotation in the formats `annotate`
writes (PREFIX_arrays.tsv and the AS-HOR, AS-SF, AS-strand, AS-StV tracks,
with their track lines) of two records, and their sequences; made by hand,
so that it holds what the report must draw (a copy lacking a monomer, an
array without copies) whatever annotate finds.

Record `cen21_piece` is bases 20,000-30,000 of the CHM13 chromosome 21 HOR
array (`chm13_cen21/cen21.fa` of the shared data, from the public CHM13
assembly), with the HMM annotation's AS-HOR names of that stretch
(`chm13_cen21/AS-HOR.hmm-annotation.bed`); monomer 7 of the third copy is
left out, so that copy is a structural variant. Record `monomeric` is the 12
DXZ1 monomers of `examples/dxz1_monomers.fa` in a row, annotated as
monomeric alpha satellite (family names only, no HOR copies). Colours follow
`standard_monomers/colors.tsv`.

    tests/data/report/make_fixture.py SHARED_DATA_DIR OUT_DIR
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "examples"))
from make_array import read_fasta  # noqa: E402  (records as (name, bases), names cut at '_')

HOR_COLOUR = "120,137,171"  # S2C13/21H1L.
SF_COLOUR = {"D1": "255,0,255", "W1": "0,255,255"}
STRAND_COLOUR = {"+": "0,0,255", "-": "255,0,0"}
STV_COLOURS = ["120,137,171", "255,150,0"]
FROM, TO = 20000, 30000


def main(shared, out):
    cen21 = read_fasta(f"{shared}/chm13_cen21/cen21.fa")[0][1][FROM:TO]
    monomers = []
    for line in open(f"{shared}/chm13_cen21/AS-HOR.hmm-annotation.bed"):
        f = line.split()
        start, end = int(f[1]), int(f[2])
        if start >= FROM + 100 and end <= TO - 800:
            monomers.append([start - FROM, end - FROM, f[3], f[5]])
    # Copies: on the minus strand the unit positions fall along the record.
    copies, current = [], []
    for m in monomers:
        position = int(m[2].rsplit(".", 1)[1])
        if current and position >= int(current[-1][2].rsplit(".", 1)[1]):
            copies.append(current)
            current = []
        current.append(m)
    copies.append(current)
    del copies[2][4]  # monomer 7 of the third copy
    kept = [m for c in copies for m in c]

    dxz1 = [bases for _, bases in read_fasta(sys.path[0] + "/dxz1_monomers.fa")]
    mono_seq, mono = "", []
    for i, seq in enumerate(dxz1):
        mono.append([len(mono_seq), len(mono_seq) + len(seq), "W1" if i % 2 else "D1", "+"])
        mono_seq += seq

    def bed9(record, items, colour, name=lambda m: m[2], score=lambda m: 950):
        return "".join(f"{record}\t{m[0]}\t{m[1]}\t{name(m)}\t{score(m)}\t{m[3]}\t{m[0]}\t{m[1]}\t{colour(m)}\n"
                       for m in items)

    def track(kind, description):
        return f'track name="fixture_{kind}" description="{description}" itemRgb="On"\n'


    prefix = f"{out}/fixture"
    with open(f"{out}/fixture.fa", "w") as fa:
        fa.write(f">cen21_piece\n{cen21}\n>monomeric\n{mono_seq}\n")
    with open(f"{prefix}_AS-HOR.bed", "w") as f:
        f.write(track("AS-HOR", "alpha-satellite HOR monomers"))
        f.write(bed9("cen21_piece", kept, lambda m: HOR_COLOUR))
        f.write(bed9("monomeric", mono, lambda m: SF_COLOUR[m[2]]))
    with open(f"{prefix}_AS-SF.bed", "w") as f:
        f.write(track("AS-SF", "alpha-satellite suprachromosomal family classes"))
        f.write(bed9("cen21_piece", kept, lambda m: SF_COLOUR["D1"], lambda m: "D1"))
        f.write(bed9("monomeric", mono, lambda m: SF_COLOUR[m[2]]))
    with open(f"{prefix}_AS-strand.bed", "w") as f:
        f.write(track("AS-strand", "alpha-satellite strand"))
        f.write(bed9("cen21_piece", kept, lambda m: STRAND_COLOUR[m[3]], lambda m: m[3]))
        f.write(bed9("monomeric", mono, lambda m: STRAND_COLOUR[m[3]], lambda m: m[3]))
    with open(f"{prefix}_AS-StV.bed", "w") as f:
        f.write(track("AS-StV", "alpha-satellite HOR structural variants"))
        for c in sorted(copies, key=lambda c: min(m[0] for m in c)):
            positions = sorted(int(m[2].rsplit(".", 1)[1]) for m in c)
            ranges, first = [], positions[0]
            for a, b in zip(positions, positions[1:] + [None]):
                if b != a + 1:
                    ranges.append(f"{first}-{a}" if a != first else f"{a}")
                    first = b
            name = "S2C13/21H1L." + "_".join(ranges)
            start, end = min(m[0] for m in c), max(m[1] for m in c)
            colour = STV_COLOURS[0] if len(positions) == 11 else STV_COLOURS[1]
            f.write(f"cen21_piece\t{start}\t{end}\t{name}\t{len(positions)}\t-\t{start}\t{end}\t{colour}\n")
    a0, a1 = kept[0][0], kept[-1][1]
    full = sum(1 for c in copies if len(c) == 11)
    with open(f"{prefix}_arrays.tsv", "w") as f:
        f.write("#record\tstart\tend\tclass\thor\tmonomers\tunit_monomers\tunit_bases\tfull_copies"
                "\tpartial_copies\tvariant_copies\tmean_identity\tfamily\tcenpb_per_copy\n")
        f.write(f"cen21_piece\t{a0}\t{a1}\tlive HOR\tS2C13/21H1L\t{len(kept)}\t11\t1868\t{full}\t"
                f"{len(copies) - full}\t0\t98.50\tSF2\t4.50\n")
        f.write(f"monomeric\t0\t{len(mono_seq)}\tmonomeric\t-\t{len(mono)}\t0\t0\t0\t0\t0\t75.00\t-"
                "\t0.00\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
