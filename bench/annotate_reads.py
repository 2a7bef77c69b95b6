#!/usr/bin/python3
"""`horgrid-tools annotate` on ONT-like reads cut from real live arrays, against the HMM annotation
of the assembly they come from.

Usage: annotate_reads.py TOOLS --data DATA --out DIR [--cases 2,3,...] [--errors 0.08,0.10]
       [--places 15,45,75] [--length 95000] [--seed 13]

DATA is the folder bench/make_real_arrays.py writes (DATA/<case>/array.fa and hmm.bed). For every
case, error rate and place (per cent along the array) one read of `--length` bases is cut there
and given errors the way nanopore reads carry them, mostly in homopolymers: per base a
substitution (a third of the rate) or an inserted random base after it (a sixth), and per run of
one base, with a chance of half the rate times its length (doubled for runs of two or more, halved
for single bases), the run one base longer or shorter; every other read is the reverse complement. `TOOLS annotate` runs on each read; its AS-HOR
monomers are mapped back to the array through the bases they came from, and every HMM monomer of
the array's live HOR lying 2 kb or more inside the read is matched to the monomer of ours that
overlaps it most (at least half of it): named alike when the HOR positions (the names after the
dot) are the same. Prints one row per read: the share named alike, the arrays `annotate` reports
and the most frequent disagreements; a read passes with one live array and 95 % named alike. Exits 1
when one does not."""
import argparse, collections, os, random, subprocess, sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from annotate_eval import overlapping  # noqa: E402
from make_real_arrays import HOR  # noqa: E402

COMPLEMENT = str.maketrans("ACGTN", "TGCAN")


def fasta(path):
    return "".join(line.strip() for line in open(path) if not line.startswith(">")).upper()


def ont_read(bases, rate, rng):
    """The read and, for each of its bases, the index of the source base it came from."""
    read, source = [], []
    i = 0
    while i < len(bases):
        j = i
        while j < len(bases) and bases[j] == bases[i]:
            j += 1
        for k in range(i, j):
            r = rng.random()
            if r < rate / 3:
                read.append(rng.choice([c for c in "ACGT" if c != bases[k]])); source.append(k)
                continue
            read.append(bases[k]); source.append(k)
            if r < rate / 2:
                read.append(rng.choice("ACGT")); source.append(k)
        # the run one base longer or shorter
        if rng.random() < rate / 2 * (j - i) * (2.0 if j - i >= 2 else 0.5):
            if rng.random() < 0.5:
                read.append(bases[i]); source.append(i)
            elif len(read) > 0 and source[-1] >= i:
                read.pop(); source.pop()
        i = j
    return "".join(read), source


def hmm_monomers(path, hor):
    out = []
    for line in open(path):
        c = line.rstrip("\n").split("\t")
        if len(c) > 3 and c[3].startswith(hor + "."):
            out.append((int(c[1]), int(c[2]), c[3].split(".", 1)[1]))
    return sorted(out)


def our_monomers(path, source, offset, reverse):
    out = []
    n = len(source)
    for line in open(path):
        if line.startswith("track"):
            continue
        c = line.split("\t")
        s, e = int(c[1]), min(int(c[2]), n)
        if e <= s:
            continue
        if reverse:  # read base j is the complement of simulated base n - 1 - j
            a, b = source[n - e], source[n - 1 - s]
        else:
            a, b = source[s], source[e - 1]
        out.append((offset + a, offset + b + 1, c[3].split(".", 1)[1] if "." in c[3] else c[3]))
    return sorted(out)


def one_read(a, case, bases, truth, rate, place, index):
    length = min(a.length, len(bases))
    offset = max(0, min(len(bases) - length, len(bases) * place // 100))
    rng = random.Random(a.seed * 1000003 + index)
    read, source = ont_read(bases[offset:offset + length], rate, rng)
    reverse = index % 2 == 1
    if reverse:
        read = read.translate(COMPLEMENT)[::-1]
    name = "%s_%d_%d" % (case, place, round(100 * rate))
    fa = os.path.join(a.out, name + ".fa")
    with open(fa, "w") as f:
        f.write(">%s\n%s\n" % (name, read))
    prefix = os.path.join(a.out, name)
    subprocess.run([a.tools, "annotate", "-t", a.threads, "-o", prefix, fa], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    ours = our_monomers(prefix + "_AS-HOR.bed", source, offset, reverse)
    starts = [o[0] for o in ours]
    total = same = 0
    wrong = collections.Counter()
    for s, e, position in truth:
        if s < offset + 2000 or e > offset + length - 2000:
            continue
        total += 1
        best = overlapping(ours, starts, s, e)
        if best and best[2] == position:
            same += 1
        else:
            wrong[(position, best[2] if best else "(none)")] += 1
    arrays = [line.split("\t")[3] for line in open(prefix + "_arrays.tsv") if not line.startswith("#")]
    share = same / max(1, total)
    ok = arrays.count("live HOR") == 1 and share >= 0.95
    common = "; ".join("%d HMM %s, ours %s" % (n, x, y) for (x, y), n in wrong.most_common(3))
    return ok, "%-14s %s %d of %d named as the HMM (%.2f %%), arrays %s%s" % (
        name + ("-" if reverse else "+"), "ok   " if ok else "SHORT", same, total, 100 * share,
        ",".join(arrays) or "none", " [" + common + "]" if common else "")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tools"); ap.add_argument("--data", required=True); ap.add_argument("--out", required=True)
    ap.add_argument("--cases", default="2,3,4,6,7,8,9,10,11,12,13,14,15,16,20,22,X")
    ap.add_argument("--errors", default="0.08,0.10"); ap.add_argument("--places", default="15,45,75")
    ap.add_argument("--length", type=int, default=95000); ap.add_argument("--seed", type=int, default=13)
    ap.add_argument("--threads", default="2")
    a = ap.parse_args()
    os.makedirs(a.out, exist_ok=True)
    bad = index = 0
    for case in a.cases.split(","):
        d = os.path.join(a.data, case)
        if not os.path.exists(os.path.join(d, "hmm.bed")):
            print("%-4s no hmm.bed in %s, skipped" % (case, d), flush=True); continue
        bases = fasta(os.path.join(d, "array.fa"))
        truth = hmm_monomers(os.path.join(d, "hmm.bed"), HOR[case])
        for rate in (float(x) for x in a.errors.split(",")):
            for place in (int(x) for x in a.places.split(",")):
                ok, line = one_read(a, case, bases, truth, rate, place, index)
                index += 1
                bad += not ok
                print(line, flush=True)
    sys.exit(1 if bad else 0)


if __name__ == "__main__":
    main()
