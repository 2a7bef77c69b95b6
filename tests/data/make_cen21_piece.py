#!/usr/bin/python3
"""Writes cen21_piece.fa, the test input of `annotate`, from the CHM13 chromosome 21 HOR array
(cen21.fa: CHM13 chr21:11,699,867-12,031,015, from the public HiCAT repository, testdata/):
six HOR copies of S2C13/21H1L (record bases 1,082-12,298, on the minus strand), the second of
them without its monomer 9 (bases 3,290-3,461), then two more copies (12,298-16,038)
reverse-complemented, so they read on the plus strand.
With the HMM annotation as second argument it also writes cen21_piece.hmm.tsv (see below).
Usage: make_cen21_piece.py CEN21_FA [AS-HOR.hmm-annotation.bed] > cen21_piece.fa"""
import sys

seq = "".join(l.strip() for l in open(sys.argv[1]) if not l.startswith(">"))
comp = {"A": "T", "C": "G", "G": "C", "T": "A", "a": "t", "c": "g", "g": "c", "t": "a"}
flipped = "".join(comp.get(b, "N") for b in reversed(seq[12298:16038]))
piece = seq[1082:3290] + seq[3461:12298] + flipped
print(">cen21_piece")
for i in range(0, len(piece), 80):
    print(piece[i:i + 80])

# cen21_piece.hmm.tsv: the HMM annotation of the standard AS-HOR monomers (nhmmer, as in the
# shared AS-HOR.hmm-annotation.bed) moved onto the piece: start, end (0-based, exclusive), name,
# strand, for the monomers that lie wholly in a kept part.
if len(sys.argv) > 2:
    parts = [(1082, 3290, 0, False), (3461, 12298, 3290 - 1082, False), (12298, 16038, 11045, True)]
    with open(sys.argv[2]) as hmm, open("cen21_piece.hmm.tsv", "w") as out:
        for line in hmm:
            c = line.split("\t")
            s, e = int(c[1]), int(c[2])
            for lo, hi, at, flip in parts:
                if lo <= s and e <= hi:
                    if flip:
                        row = (at + hi - e, at + hi - s, c[3], "+" if c[5].strip() == "-" else "-")
                    else:
                        row = (at + s - lo, at + e - lo, c[3], c[5].strip())
                    out.write("%d\t%d\t%s\t%s\n" % row)
