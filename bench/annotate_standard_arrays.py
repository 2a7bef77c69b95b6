#!/usr/bin/python3
"""`horgrid-tools annotate` on arrays generated from the standard HOR monomers themselves.

Usage: annotate_standard_arrays.py TOOLS [--out DIR] [--copies 20] [--divergence 0.015] [--seed 1]

For every live HOR of data/AS-HOR.consensus.fa.gz (a name ending in L, whole monomer numbers,
at least two of them; the first record of each name) one record: the HOR's monomers in number
order as the unit, `--copies` tandem copies, each base of each copy substituted with probability
`--divergence`, every other record reverse-complemented. Then every monomer annotate reports
inside a record is compared with the monomer it was made from (its start within 20 bases):
prints per HOR the monomers named right, and the total; exits 1 below 98 %."""
import argparse, collections, gzip, os, random, re, subprocess, sys

HERE = os.path.dirname(os.path.abspath(__file__))
COMPLEMENT = str.maketrans("ACGT", "TGCA")


def standard_hors():
    seen, hors = set(), collections.defaultdict(dict)
    name = None
    for line in gzip.open(os.path.join(HERE, "..", "data", "AS-HOR.consensus.fa.gz"), "rt"):
        line = line.strip()
        if line.startswith(">"):
            name = line[1:].split()[0]
            name = None if name in seen else name
            if name:
                seen.add(name)
            continue
        if name is None:
            continue
        match = re.fullmatch(r"(.+L)\.(\d+)", name)
        if match:
            hors[match.group(1)][int(match.group(2))] = hors[match.group(1)].get(int(match.group(2)), "") + line.upper()
    return {h: m for h, m in hors.items() if len(m) >= 2}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tools")
    ap.add_argument("--out", default="/tmp/annotate-standard")
    ap.add_argument("--copies", type=int, default=20)
    ap.add_argument("--divergence", type=float, default=0.015)
    ap.add_argument("--seed", type=int, default=1)
    a = ap.parse_args()
    rng = random.Random(a.seed)
    os.makedirs(a.out, exist_ok=True)
    fasta = os.path.join(a.out, "standard_arrays.fa")
    truth = {}
    with open(fasta, "w") as out:
        for k, (hor, monomers) in enumerate(sorted(standard_hors().items())):
            record = "hor%d" % k
            bases, rows = [], []
            at = 0
            for _ in range(a.copies):
                for number in sorted(monomers):
                    copy = "".join(rng.choice("ACGT".replace(b, "")) if rng.random() < a.divergence else b
                                   for b in monomers[number])
                    rows.append((at, at + len(copy), "%s.%d" % (hor, number)))
                    bases.append(copy)
                    at += len(copy)
            sequence = "".join(bases)
            if k % 2:
                sequence = sequence.translate(COMPLEMENT)[::-1]
                rows = [(at - e, at - s, n) for s, e, n in rows]
            truth[record] = (hor, rows)
            out.write(">%s\n%s\n" % (record, sequence))
    prefix = os.path.join(a.out, "standard")
    subprocess.run([a.tools, "annotate", "-t", "2", "-o", prefix, fasta], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    found = collections.defaultdict(dict)
    for line in open(prefix + "_decomposition.tsv"):
        c = line.split("\t")
        found[c[0]][int(c[2])] = c[1].rstrip("'")
    total = right = 0
    for record, (hor, rows) in truth.items():
        ok = 0
        for s, e, name in rows:
            near = [found[record][x] for x in range(s - 20, s + 21) if x in found[record]]
            ok += name in near
        total += len(rows)
        right += ok
        print("%-22s %4d of %4d monomers named right" % (hor, ok, len(rows)))
    print("all: %d of %d (%.2f %%) over %d HORs" % (right, total, 100.0 * right / total, len(truth)))
    sys.exit(0 if right >= 0.98 * total else 1)


if __name__ == "__main__":
    main()
