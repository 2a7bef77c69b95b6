#!/usr/bin/env python3
"""Builds the second stored-output example, two_segments.ens, the monomers
files of both examples and two sequence files (run from the repository root).

two_segments.ens, five columns, some records on the reverse strand:
- segment 1: a HOR of three types (A, B, C) in four copies; copies are exact
  but for planted variants at 5.8 % and 7.6 % of their type (one joins its
  column at threshold 7, one opens a new one); D (12.3 % from A) and E
  (13.5 % from A) sit on both sides of the closeness limit 13; A, B, C and E
  carry a CENP-B box in each of the four orientations;
- a record of 1001 bases (cut) and, inside segment 2, one of 1000 (not cut);
- segment 2: the twelve family references, and the purification reference
  with 76 and 77 edits (44.4 % and 45.0 %, on both sides of the limit 45).
"""

import random
import re

rng = random.Random(11)


def levenshtein(a, b):
    row = list(range(len(b) + 1))
    for i, ca in enumerate(a, 1):
        prev, row[0] = row[0], i
        for j, cb in enumerate(b, 1):
            prev, row[j] = row[j], min(row[j] + 1, row[j - 1] + 1, prev + (ca != cb))
    return row[-1]


def substitute(seq, count, avoid=()):
    """seq with substitutions until it is exactly `count` edits away."""
    out = list(seq)
    spots = [p for p in range(len(seq)) if p not in avoid]
    rng.shuffle(spots)
    for p in spots:
        if levenshtein(seq, "".join(out)) >= count:
            break
        out[p] = rng.choice([b for b in "ACGT" if b != seq[p]])
    assert levenshtein(seq, "".join(out)) == count
    return "".join(out)


def with_box(seq, box, at=40):
    return seq[:at] + box + seq[at + len(box):]


def random_seq(n):
    return "".join(rng.choice("ACGT") for _ in range(n))


source = open("src/ensemble/SupracromReferences.cpp").read()
references = [(name, "".join(parts.split('"')[1::2]))
              for name, parts in re.findall(r'\{"(\w+)",((?:\s*"[ACGT]+")+)\}', source)]
assert len(references) == 12
purification = "".join(re.search(r'kPurificationReference =((?:\s*"[ACGT]+")+);',
                                 open("src/ensemble/Purify.cpp").read()).group(1).split('"')[1::2])
box = range(40, 57)
types = {
    "A": with_box(random_seq(171), "GTTCGCACTAATCGGGT"),  # direct
    "B": with_box(random_seq(171), "ACCCGATTAGTGCGAAC"),  # reverse complement
    "C": with_box(random_seq(171), "TGGGCTAATCACGCTTG"),  # reverse
}
types["D"] = substitute(types["A"], 21, box)
types["E"] = with_box(substitute(types["A"], 23, box), "CAAGCGTGATTAGCCCA")  # complement
records = []
for copy in range(1, 5):
    for t in "ABC":
        seq = types[t]
        if (copy, t) == (3, "B"):
            seq = substitute(seq, 10, box)
        if (copy, t) == (4, "C"):
            seq = substitute(seq, 13, box)
        records.append((f"{t}{copy}", "-" if copy % 2 == 0 else "+", seq))
records += [("D1", "+", types["D"]), ("E1", "-", types["E"])]
records.append(("long", "+", random_seq(1001)))
for k, (name, seq) in enumerate(references):
    records.append((name, "-" if k % 3 == 0 else "+", seq))
    if k == 5:
        records.append(("edge", "+", random_seq(1000)))
records.append(("p76", "+", substitute(purification, 76)))
records.append(("p77", "-", substitute(purification, 77)))

lines, position = [], 1
for name, strand, seq in records:
    lines.append((name, strand, position, seq))
    position += len(seq)
with open("tests/data/two_segments.ens", "w") as out:
    for name, strand, pos, seq in lines:
        out.write(f"{name} {strand} {pos} {len(seq)} {seq}\n")
# Monomers files: the HOR copies as groups, five and three columns; the
# three-column one ends with a group of references and an empty group.
with open("tests/data/two_segments.mon", "w") as out:
    for copy in range(4):
        out.write("".join(f"{n} {s} {p} {len(q)} {q}\n" for n, s, p, q in lines[3 * copy:3 * copy + 3]))
        out.write("\n")
    out.write("".join(f"{n} {s} {p} {len(q)} {q}\n" for n, s, p, q in lines[12:14]))
with open("tests/data/two_segments.mon3", "w") as out:
    for t in range(3):
        out.write("".join(f"{n} {len(q)} {q}\n" for n, s, p, q in lines[t:12:3]) + "\n")
    out.write("".join(f"{n} {len(q)} {q}\n" for n, s, p, q in lines[15:19]) + "\n")

# dxz1: groups of one monomer type (five columns) and of one HOR copy (three).
dxz1 = [line.split() for line in open("examples/dxz1.ens")]
with open("tests/data/dxz1.mon", "w") as out:
    out.write("\n".join("".join(" ".join(f) + "\n" for f in dxz1[t::12]) for t in range(12)))
with open("tests/data/dxz1.mon3", "w") as out:
    out.write("\n".join("".join(f"{f[0]} {f[3]} {f[4]}\n" for f in dxz1[c:c + 12])
                        for c in range(0, len(dxz1), 12)))

# Two sequence files for -d: the long record over lines of 60, and type A of dxz1.
with open("tests/data/long.fa", "w") as out:
    seq = records[14][2]
    out.write(">long record\n" + "".join(seq[p:p + 60] + "\n" for p in range(0, len(seq), 60)))
with open("tests/data/dxz1_A.fa", "w") as out:
    out.write("".join(open("examples/dxz1_monomers.fa").readlines()[:2]))
