#!/usr/bin/python3
"""Rebuild the real centromeric arrays that bench/eval_real_arrays.py measures, and their HMM truth.

Usage: make_real_arrays.py --hicat GIT_DIR --profiles AS-HOR.hmm.gz --out DATA [--cases 4,7,...]
       [--no-hmm]

Sources (all public; none of them is copied into this repository):
- the arrays and their peer monomers: the published results of HiCAT (repository xjtu-omics/HiCAT,
  `HiCAT_manuscript_results/human/<chr>/out_monomer.fa` for the CHM13 live arrays, CHM13 being the
  T2T consortium's assembly; `HiCAT_manuscript_results/AT/<1-5>/` for the Arabidopsis CEN178
  arrays). GIT_DIR is a clone (bare or not) of that repository; files stored there as "BAD" or
  absent are skipped.
- the profiles: the AS-HOR profile HMMs of the standard alpha-satellite monomers (HumAS-HMMER's, as
  distributed by logsdon-lab/CenMAP, data/models/AS-HORs-hmmer3.4-071024.hmm.gz, MIT licence).

Each HiCAT monomer is a header `>CLUSTER.N::start-end strand` (0-based, end inclusive, array
coordinates) over the bases of the forward strand. The array is rebuilt by laying the monomers in
start order: where one starts past the end of the previous one the missing bases are written as N
(the peer left them out and their bases are not known), and where two overlap the later one gives
only the bases past the earlier one's end. Coordinates thus stay HiCAT's. Written per case to
DATA/<case>/: array.fa, hicat.tsv (record, start, end exclusive, cluster, strand), hicat_top_layer.xls
(HiCAT's HOR), and for human arrays hmm.bed: `nhmmer --cpu 1` (niced) with only the profiles of the
array's live HOR, hits scoring at least 0.7 per aligned base, the best-scoring one where hits
overlap by 10 % or more of the shorter (record, start, end, name, score, strand). An existing
hmm.bed is kept (remove it to search again)."""
import argparse, bisect, gzip, os, re, subprocess, sys, time

HOR = {"2": "S2C2H1L", "3": "S01/1C3H1L", "4": "S2C4H1L", "5": "S1C1/5/19H1L", "6": "S01C6H1L",
       "7": "S1C7H1L", "8": "S2C8H1L", "9": "S2C9H1L", "10": "S1C10H1L", "11": "S3C11H1L",
       "12": "S1C12H1L", "13": "S2C13/21H1L", "14": "S2C14/22H1L", "15": "S2C15H1L", "16": "S1C16H1L",
       "17": "S3C17H1L", "18": "S2C18H1L", "19": "S1C1/5/19H1L", "20": "S2C20H1L",
       "21": "S2C13/21H1L", "22": "S2C14/22H1L", "X": "S3CXH1L"}
ORDER = "4,7,8,9,18,17,X,2,3,6,11,12,14,15,16,20,21,22,1,19,13,10,5"  # fewest profiles first after the first seven
PLANT = ["AT%d" % k for k in range(1, 6)]


def show(git, path):
    r = subprocess.run(["git", "-C", git, "show", "HEAD:" + path], capture_output=True, text=True)
    return r.stdout if r.returncode == 0 and r.stdout and not r.stdout.startswith("BAD") else None


def rebuild(text, record):
    """HiCAT's monomers -> (array sequence, [(record, start, end excl, cluster, strand)], gap bases,
    gaps, overlap bases)."""
    mons, head = [], None
    for line in text.splitlines():
        if line.startswith(">"):
            m = re.match(r">(\S+?)\.\d+::(\d+)-(\d+)\s*([+-]?)", line)
            head = (int(m.group(2)), int(m.group(3)) + 1, m.group(1), m.group(4) or "+")
            mons.append([head, []])
        elif head:
            mons[-1][1].append(line.strip().upper())
    mons.sort()
    seq, rows, gap, gaps, over = [], [], 0, 0, 0
    at = 0
    for (s, e, cluster, strand), parts in mons:
        bases = "".join(parts)
        if len(bases) != e - s:
            sys.exit("%s: monomer at %d has %d bases for %d-%d" % (record, s, len(bases), s, e))
        if s > at:
            seq.append("N" * (s - at)); gap += s - at; gaps += 1
        elif s < at:
            over += min(at, e) - s
        if e > at:
            seq.append(bases[max(0, at - s):]); at = e
        rows.append((record, s, e, cluster, strand))
    return "".join(seq), rows, gap, gaps, over


def profiles(path, hor, out):
    """The profiles of one HOR (names HOR.<monomer>) from a HMMER 3 file into out."""
    keep, block, n = False, [], 0
    with gzip.open(path, "rt") if path.endswith(".gz") else open(path) as f, open(out, "w") as w:
        for line in f:
            block.append(line)
            if line.startswith("NAME"):
                keep = line.split()[1].startswith(hor + ".")
            if line.startswith("//"):
                if keep:
                    w.writelines(block); n += 1
                block, keep = [], False
    return n


def done(tbl):  # a finished nhmmer table (of an interrupted run) is read again, not searched again
    if not os.path.exists(tbl):
        return False
    with open(tbl, "rb") as f:
        f.seek(max(0, os.path.getsize(tbl) - 64))
        return f.read().rstrip().endswith(b"[ok]")


def best_hits(tbl, lo=0.7, share=0.1):
    hits = []
    for line in open(tbl):
        if line.startswith("#"):
            continue
        c = line.split()
        a, b = int(c[6]), int(c[7])
        s, e = min(a, b) - 1, max(a, b)
        score = float(c[13])
        if score / (e - s) >= lo:
            hits.append((score, c[0], s, e, c[2], c[11]))
    hits.sort(key=lambda h: -h[0])
    kept = {}  # record: kept hits sorted by start
    for score, rec, s, e, name, strand in hits:
        v = kept.setdefault(rec, [])
        j = bisect.bisect_left(v, (s,))
        near = v[max(0, j - 8):j + 8]  # hits are a monomer long and barely overlap
        if all(min(e, k[1]) - max(s, k[0]) < share * min(e - s, k[1] - k[0]) for k in near):
            v.insert(j, (s, e, name, score, strand))
    return sorted((r, s, e, n, sc, st) for r, v in kept.items() for s, e, n, sc, st in v)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--hicat", required=True); ap.add_argument("--profiles")
    ap.add_argument("--out", required=True); ap.add_argument("--cases", default=ORDER + "," + ",".join(PLANT))
    ap.add_argument("--no-hmm", action="store_true")
    a = ap.parse_args()
    for case in a.cases.split(","):
        plant = case.startswith("AT")
        src = "HiCAT_manuscript_results/%s/out_monomer.fa" % ("AT/" + case[2:] if plant else "human/" + case)
        text = show(a.hicat, src)
        if text is None or not text.startswith(">"):
            print("%-4s no monomers in the HiCAT repository (%s), skipped" % (case, src)); continue
        d = os.path.join(a.out, case); os.makedirs(d, exist_ok=True)
        record = ("cen" + case[2:] + "_at") if plant else "chm13_cen" + case
        seq, rows, gap, gaps, over = rebuild(text, record)
        with open(os.path.join(d, "array.fa"), "w") as f:
            f.write(">%s\n" % record)
            for k in range(0, len(seq), 80):
                f.write(seq[k:k + 80] + "\n")
        with open(os.path.join(d, "hicat.tsv"), "w") as f:
            f.write("#record\tstart\tend\tcluster\tstrand\n")
            f.writelines("%s\t%d\t%d\t%s\t%s\n" % r for r in rows)
        top = show(a.hicat, src.replace("out_monomer.fa", "out_top_layer.xls")) or ""
        with open(os.path.join(d, "hicat_top_layer.xls"), "w") as f:
            f.write(top)
        print("%-4s %d bp, %d monomers, %d gaps (%d bp as N), %d overlapping bases" % (
            case, len(seq), len(rows), gaps, gap, over), flush=True)
        if plant or a.no_hmm or os.path.exists(os.path.join(d, "hmm.bed")):
            continue
        hmm = os.path.join(d, "profiles.hmm")
        n = profiles(a.profiles, HOR[case], hmm)
        t, tbl = time.time(), os.path.join(d, "hmm.tbl")
        if not done(tbl):
            subprocess.run(["nice", "-n", "19", "nhmmer", "--cpu", "1", "--notextw", "--noali", "--tblout",
                            tbl, "-o", os.devnull, hmm, os.path.join(d, "array.fa")], check=True)
        hits = best_hits(tbl)
        with open(os.path.join(d, "hmm.bed.part"), "w") as f:
            f.writelines("%s\t%d\t%d\t%s\t%.1f\t%s\n" % h for h in hits)
        os.replace(os.path.join(d, "hmm.bed.part"), os.path.join(d, "hmm.bed"))
        print("%-4s nhmmer, %d profiles of %s: %d monomers kept, %.0f s" % (case, n, HOR[case], len(hits), time.time() - t),
              flush=True)


if __name__ == "__main__":
    main()
