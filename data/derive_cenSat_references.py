#!/usr/bin/env python3
"""Derives data/cenSat.references.fa from sequences with a published cenSat track.

    data/derive_cenSat_references.py OUT.fa FASTA BED [FASTA BED ...]

For every labelled array of a class below (at least MIN_ARRAY bases), from its middle MAX_BASES:
- the monomer: the class's tandem period P; the units of P bases are aligned one after the
  other to the current consensus (best Hamming match within P/5 of where the last one ended)
  and each column takes its most frequent base, three rounds, from the middle unit as seed
  (from the class's first consensus, oriented, for later arrays);
- the composite unit, where the monomers do not describe the array (less than COVERED of its
  13-mers lie within one substitution of a 13-mer of the class's consensus monomers; always for
  SST1 and the 5S composite, which have no monomer here): when the most frequent distance
  between two occurrences of one 13-mer, between LONG_MIN and LONG_MAX bases, occurs at least
  LONG_COUNT times, the unit of that length from the middle of the array, unless half of its
  13-mers lie within one substitution of those of the units of its class already taken.
- a family stretch: where the array's label lists a family with no reference of its own (TAR1,
  in gSat(GSATII,TAR1)), the stretch at either end of the array, in steps of STEP bases inward,
  whose 13-mers lie less than COVERED within one substitution of the class's consensus
  monomers, when at least FAMILY_MIN bases long: that family's copy in the array, kept whole.
A composite unit or family stretch of a class with consensus monomers is named LABEL#N.exact: only its own
13-mers are looked for (its other parts are often repeats found elsewhere too). Consensus monomers within DUPLICATE of an earlier one of their class are left out. HSat3 is its
5-bp unit (ATTCC, the most frequent pentamer family of the arrays), written as is. Record names
are LABEL#N; the description says what each unit is and where it comes from.
"""
import collections
import gzip
import sys

PERIOD = {"HSat1A": 42, "cenSat(CER)": 48, "bSat": 68, "cenSat(SATR)": 76, "cenSat(ACRO1)": 147,
          "gSat": 220}
WHOLE_ONLY = ("cenSat(SST1)", "cenSat(5SRNA-composite)")
MIN_ARRAY = 1200
MAX_BASES = 40000
LONG_MIN, LONG_MAX, LONG_COUNT = 500, 8000, 10
DUPLICATE = 0.1
COVERED = 0.2
FAMILIES = ("TAR1",)
STEP, FAMILY_MIN = 100, 500
COMPLEMENT = str.maketrans("ACGTN", "TGCAN")


def rc(s):
    return s.translate(COMPLEMENT)[::-1]


def label(name):
    """The reference label of a cenSat name, or None for classes without one."""
    head = name.split("(")[0]
    if head in ("HSat1A", "bSat", "gSat"):
        return head
    if head != "cenSat":
        return None
    for family in ("SST1", "ACRO1", "CER", "SATR", "5SRNA"):
        if family in name:
            return "cenSat(5SRNA-composite)" if family == "5SRNA" else "cenSat(%s)" % family
    return None


def read_fasta(path):
    with (gzip.open(path, "rt") if path.endswith(".gz") else open(path)) as handle:
        return "".join(line.strip() for line in handle if not line.startswith(">")).upper()


def hamming(a, b, at):
    return sum(x == y for x, y in zip(a, b[at:at + len(a)]))


def consensus(q, p, seed):
    w = max(2, p // 5)
    for _ in range(3):
        counts = [collections.Counter() for _ in range(p)]
        i = 0
        while i + p + w <= len(q):
            best, at = max((hamming(seed, q, o), o) for o in range(max(0, i - w), min(len(q) - p, i + w) + 1))
            for c, base in zip(counts, q[at:at + p]):
                c[base] += 1
            i = at + p
        seed = "".join(c.most_common(1)[0][0] for c in counts)
    return seed


def long_period(q, k=13):
    last, distances = {}, collections.Counter()
    for i in range(len(q) - k + 1):
        x = q[i:i + k]
        if x in last and LONG_MIN <= i - last[x] <= LONG_MAX:
            distances[i - last[x]] += 1
        last[x] = i
    top = distances.most_common(1)
    return top[0][0] if top and top[0][1] >= LONG_COUNT else 0


def kmers(s, k=13):
    return {s[i:i + k] for i in range(len(s) - k + 1)}


def neighbours(ks):
    out = set()
    for x in ks:
        for i in range(len(x)):
            out.update(x[:i] + b + x[i + 1:] for b in "ACGT")
    return out


def covered(q, units):
    """Share of the 13-mers of q within one substitution of those of the units (both strands)."""
    ks = set()
    for u, _ in units:
        ks |= kmers(u + u[:12]) | kmers(rc(u + u[:12]))
    ks = neighbours(ks)
    own = [q[i:i + 13] for i in range(len(q) - 12)]
    return sum(x in ks for x in own) / max(1, len(own))


def family_stretches(q, monomers):
    """The stretches at the ends of q (an array) that its class's monomers do not describe."""
    out = []
    for forward in (True, False):
        n = 0
        while n + STEP <= len(q) // 2:
            piece = q[len(q) - n - STEP:len(q) - n] if forward else q[n:n + STEP]
            if covered(piece, monomers) >= COVERED:
                break
            n += STEP
        if n >= FAMILY_MIN:
            out.append(q[len(q) - n:] if forward else q[:n])
    return out


def main():
    out, pairs = sys.argv[1], sys.argv[2:]
    units = collections.defaultdict(list)  # label -> [(sequence, description)]
    for fasta, bed in zip(pairs[::2], pairs[1::2]):
        sequence = read_fasta(fasta)
        for line in open(bed):
            fields = line.split("\t")
            if line.startswith("track") or len(fields) < 4:
                continue
            start, end, name = int(fields[1]), int(fields[2]), fields[3]
            lab = label(name)
            if lab is None or end - start < MIN_ARRAY:
                continue
            middle = (start + end) // 2
            lo = max(start, middle - MAX_BASES // 2)
            q = sequence[lo:min(end, lo + MAX_BASES)]
            where = "%s:%d-%d" % (fasta.split("/")[-1], start, end)
            p = PERIOD.get(lab)
            if p and lab not in WHOLE_ONLY:
                first = units[lab][0][0] if units[lab] else None
                if first:
                    ks = kmers(first + first[:12])
                    forward = sum(x in ks for x in kmers(q))
                    if sum(x in ks for x in kmers(rc(q))) > forward:
                        q = rc(q)
                seed = first if first else q[len(q) // 2:len(q) // 2 + p]
                c = consensus(q, p, seed)
                if not any(len(u) == p and min(sum(a != b for a, b in zip(u, c)),
                                               sum(a != b for a, b in zip(rc(u), c))) <= DUPLICATE * p
                           for u, _ in units[lab]):
                    units[lab].append((c, "consensus %d-bp monomer of %s" % (p, where)))
            monomers = [u for u in units[lab] if u[1].startswith("consensus")]
            unit = long_period(q) if not monomers or covered(q, monomers) < COVERED else 0
            if unit and units[lab] and covered(q[:unit], units[lab]) >= 0.5:
                unit = 0
            if unit:
                m = max(0, len(q) // 2 - unit // 2)
                units[lab].append((q[m:m + unit], "composite %d-bp unit from the middle of %s" % (unit, where)))
            for family in (f for f in FAMILIES if f in name and monomers):
                for stretch in family_stretches(sequence[start:end], monomers):
                    units[lab].append((stretch, "%s stretch (%d bp) at an end of %s" % (family, len(stretch), where)))
    with open(out, "w") as handle:
        for lab in sorted(units):
            monomers = any(what.startswith("consensus") for _, what in units[lab])
            for n, (s, what) in enumerate(units[lab], 1):
                exact = ".exact" if monomers and not what.startswith("consensus") else ""
                handle.write(">%s#%d%s %s\n%s\n" % (lab, n, exact, what, s))
        handle.write(">HSat3#1 the CATTC-based 5-bp unit (ATTCC rotation)\nATTCC\n")


if __name__ == "__main__":
    main()
