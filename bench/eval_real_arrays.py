#!/usr/bin/python3
"""`horgrid-tools infer` (no template) and `annotate` on the CHM13 live arrays and the Arabidopsis
CEN178 arrays that bench/make_real_arrays.py rebuilds from HiCAT's published results.

Usage: eval_real_arrays.py TOOLS --data DATA --out DIR [--cases 4,7,8,...] [--truth hicat|hmm]
       [--annotate] [--threads 2]

infer (default): one run per case, `TOOLS infer -t 2 -o DIR/<case> DATA/<case>/array.fa`, then
- against the HMM truth (`--truth hmm`, DATA/<case>/hmm.bed): only the live array (runs of at
  least 20 HMM monomers of the array's HOR scoring >= 1.0 per base, gaps under 10 kb) counts. Every
  HMM monomer there is matched to the monomer of ours that overlaps it most (at least half of it):
  the median start offset (phase, within 5 bp), the purity both ways (>= 98 %), the types of ours
  holding >= 0.5 % of the live array's monomers within -1/+2 of the HMM's, the HOR infer reports
  against the canonical unit (the standard monomers, hybrids standing for rare ones,
  holding 0.5 % or more of the live array), no HOR copy more than 5 kb outside the live array, and the wall
  time (15 s per Mb, at least 20 s);
- against HiCAT's monomers (`--truth hicat`, DATA/<case>/hicat.tsv, the whole array): the same
  figures with HiCAT's clusters as types and HiCAT's HOR (the top-layer HOR covering the most
  bases) as the canonical unit; for the Arabidopsis arrays (AT1-AT5) the peer monomers covered
  (>= 97 %) and their starts within 5 bp after the phase (>= 95 %; the phase's sign turned for
  HiCAT's reverse-strand monomers) instead, with at most 60 types.
Prints one row per case, `ok` or `SHORT`; exits 1 when a case is SHORT.

--annotate: `TOOLS annotate` on each human case; the share of live-array HMM monomers it names
as the HMM does (the measure of bench/annotate_eval.py; gate 98 %)."""
import argparse, bisect, collections, os, re, resource, statistics, subprocess, sys, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from annotate_eval import agreement, bed, hmm_monomers, live_spans, overlapping  # noqa: E402
from make_real_arrays import HOR  # noqa: E402

# A whole array may hold an insertion (a retrotransposon of up to about 10 kb): the live array's
# runs of HMM monomers join across gaps shorter than that.
JOIN = 10000
HUMAN = "4,7,8,9,X,2,3,6,10,11,12,13,14,15,16,20,21,22,5"


def decomposition(prefix):  # infer's monomers: (record, start, end excl, type)
    out = []
    for line in open(prefix + "_decomposition.tsv"):
        c = line.rstrip("\n").split("\t")
        if len(c) > 4 and not line.startswith("#"):
            out.append((c[0], int(c[2]), int(c[3]) + 1, c[1].rstrip("'")))
    return out


def match(truth, ours):
    """Each truth monomer to the monomer of ours overlapping it most (at least half of it):
    (truth type, our type) pairs and the median start offset."""
    by = collections.defaultdict(list)
    for r, s, e, k in sorted(ours):
        by[r].append((s, e, k))
    st = {r: [o[0] for o in v] for r, v in by.items()}
    pairs, offs = [], []
    for r, s, e, k, *_ in truth:
        best = overlapping(by.get(r, []), st.get(r, []), s, e)
        if best:
            pairs.append((k, best[2])); offs.append(best[0] - s)
    return pairs, (statistics.median(offs) if offs else 0)


def purity(pairs):
    m = collections.defaultdict(collections.Counter)
    for x, y in pairs:
        m[x][y] += 1
    return sum(c.most_common(1)[0][1] for c in m.values()) / max(1, len(pairs))


def starts_near(truth, ours, off, stranded=False):
    """The share of truth monomers with a start of ours within 5 bp of theirs moved by `off`; with
    `stranded`, a truth monomer on the reverse strand (its fifth field "-") moves by -off, since a
    phase read along the other strand moves its leftmost base the other way."""
    st = collections.defaultdict(list)
    for o in ours:
        st[o[0]].append(o[1])
    for v in st.values():
        v.sort()
    n = 0
    for r, s, *rest in truth:
        at = s - off if stranded and rest[-1] == "-" else s + off
        v = st.get(r, []); j = bisect.bisect_left(v, at - 5)
        n += j < len(v) and abs(v[j] - at) <= 5
    return n / max(1, len(truth))


def stranded_phase(truth, ours):
    """The median offset of our starts from the truth's, its sign turned for truth monomers on the
    reverse strand (see starts_near)."""
    by = collections.defaultdict(list)
    for r, s, e, k in sorted(ours):
        by[r].append((s, e, k))
    st = {r: [o[0] for o in v] for r, v in by.items()}
    offs = []
    for r, s, e, *rest in truth:
        best = overlapping(by.get(r, []), st.get(r, []), s, e)
        if best:
            offs.append(-(best[0] - s) if rest[-1] == "-" else best[0] - s)
    return statistics.median(offs) if offs else 0


def types(monomers):  # types holding at least 0.5 % of the monomers
    share = collections.Counter(m[3] for m in monomers)
    return sum(1 for v in share.values() if v >= 0.005 * len(monomers))


def positions(monomers):
    """The canonical unit from the HMM names: the standard monomers (HOR.<number>) holding at least
    0.5 % of the monomers, and a hybrid (HOR.<a>/<b>) as frequent where it stands for a monomer that
    is not (chrY's 32/34 for 32-34)."""
    share = collections.Counter(m[3].split(".", 1)[1] for m in monomers)
    held = {k for k, v in share.items() if v >= 0.005 * len(monomers)}
    whole = {k for k in held if k.isdigit()}
    return len(whole) + sum(1 for k in held - whole if not set(re.findall(r"\d+", k)) <= whole)


def hicat_truth(d):
    rows = []
    for line in open(os.path.join(d, "hicat.tsv")):
        if not line.startswith("#"):
            c = line.rstrip("\n").split("\t")
            rows.append((c[0], int(c[1]), int(c[2]), c[3], c[4] if len(c) > 4 else "+"))
    cover = collections.Counter()
    for line in open(os.path.join(d, "hicat_top_layer.xls")):
        c = line.split("\t")
        if len(c) > 2:
            cover[c[0]] += int(c[2]) - int(c[1])
    top = cover.most_common(1)[0][0] if cover else "L0"
    return rows, int(re.search(r"L(\d+)$", top).group(1))


def cpu():  # processor seconds of the finished children
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def run_infer(a, case):
    fa = os.path.join(a.data, case, "array.fa"); out = os.path.join(a.out, case)
    t, before = time.time(), cpu()
    try:
        r = subprocess.run([a.tools, "infer", "-t", a.threads, "-o", out, fa], capture_output=True, text=True,
                           timeout=a.timeout)
    except subprocess.TimeoutExpired:
        return None, "no answer in %.0f s" % a.timeout
    if r.returncode != 0 or not os.path.exists(out + "_decomposition.tsv"):
        return None, "infer failed (exit %d): %s" % (r.returncode, r.stderr.strip()[:200])
    m = re.search(r"HOR (\d+)mer", r.stdout)
    nmon = sum(1 for line in open(out + "_monomers.fa") if line.startswith(">"))
    copies = []
    for line in open(out + "_hors.tsv"):
        if not line.startswith("#"):
            c = line.split("\t"); copies.append((c[0], int(c[1]), int(c[2])))
    return dict(prefix=out, wall=time.time() - t, cpu=cpu() - before, unit=int(m.group(1)) if m else 0, set=nmon, copies=copies,
                length=sum(len(line.strip()) for line in open(fa) if not line.startswith(">"))), None


def eval_infer(a, case):
    d = os.path.join(a.data, case)
    run, err = run_infer(a, case)
    if err:
        return False, err
    ours = decomposition(run["prefix"])
    budget = max(20.0, 15.0 * run["length"] / 1e6)
    if case.startswith("AT"):
        truth, _ = hicat_truth(d)
        pairs, _ = match(truth, ours)
        off = stranded_phase(truth, ours)
        cov, near = len(pairs) / max(1, len(truth)), starts_near(truth, ours, off, True)
        ok = run["wall"] <= budget and cov >= 0.97 and near >= 0.95 and run["set"] <= 60
        return ok, "peer monomers covered %.1f%%, starts within 5 bp %.1f%% (phase %+d), set %d, unit %d, %.1f s (%.1f processor-s)" % (
            100 * cov, 100 * near, off, run["set"], run["unit"], run["wall"], run["cpu"])
    if a.truth == "hmm":
        allstd = hmm_monomers(os.path.join(d, "hmm.bed"), HOR[case])
        span = live_spans(allstd, gap=JOIN)
        truth = [x[:4] for x in allstd if x[0] in span and span[x[0]][0] <= x[1] < span[x[0]][1]]
        unit = positions(truth)
    else:
        truth, unit = hicat_truth(d)
        span = {r: (min(x[1] for x in truth), max(x[2] for x in truth)) for r in {x[0] for x in truth}}
    live = [o for o in ours if o[0] in span and span[o[0]][0] <= o[1] < span[o[0]][1]]
    pairs, off = match(truth, live)
    p1, p2 = purity(pairs), purity([(y, x) for x, y in pairs])
    got, want = types(live), types(truth)
    outside = sum(1 for r, s, e in run["copies"] if r not in span or e < span[r][0] - 5000 or s > span[r][1] + 5000)
    ok = run["wall"] <= budget and abs(off) <= 5 and p1 >= 0.98 and p2 >= 0.98 and run["unit"] == unit and \
        outside == 0 and want - 1 <= got <= want + 2
    return ok, ("phase %+d bp, purity truth->ours %.1f%% ours->truth %.1f%%, types in live array %d (truth %d), "
                "set %d, unit %d (canonical %d), copies outside the live array %d, %.1f s (budget %.0f; %.1f processor-s)" % (
                    off, 100 * p1, 100 * p2, got, want, run["set"], run["unit"], unit, outside, run["wall"], budget,
                    run["cpu"]))


def eval_annotate(a, case):
    prefix = os.path.join(a.out, case + "_annotate")
    t = time.time()
    subprocess.run([a.tools, "annotate", "-t", a.threads, "-o", prefix, os.path.join(a.data, case, "array.fa")],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.time() - t
    truth = hmm_monomers(os.path.join(a.data, case, "hmm.bed"), HOR[case])
    total, same, wrong = agreement(truth, bed(prefix + "_AS-HOR.bed"), live_spans(truth, gap=JOIN))
    share = same / max(1, total)
    common = "; ".join("%d HMM %s, ours %s" % (n, x, y) for (x, y), n in wrong.most_common(3))
    return share >= 0.98, "%d of %d live-array monomers named as the HMM (%.2f %%), %.1f s%s" % (
        same, total, 100 * share, wall, " [" + common + "]" if common else "")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tools"); ap.add_argument("--data", required=True); ap.add_argument("--out", required=True)
    ap.add_argument("--cases", default=HUMAN); ap.add_argument("--truth", choices=("hicat", "hmm"), default="hmm")
    ap.add_argument("--annotate", action="store_true"); ap.add_argument("--threads", default="2")
    ap.add_argument("--timeout", type=float, default=1800)
    a = ap.parse_args()
    os.makedirs(a.out, exist_ok=True)
    bad = 0
    for case in a.cases.split(","):
        d = os.path.join(a.data, case)
        need = "hmm.bed" if (a.annotate or a.truth == "hmm") and not case.startswith("AT") else "hicat.tsv"
        if not os.path.exists(os.path.join(d, need)):
            print("%-4s no %s in %s, skipped" % (case, need, d), flush=True); continue
        ok, line = (eval_annotate if a.annotate else eval_infer)(a, case)
        print("%-4s %s %s" % (case, "ok   " if ok else "SHORT", line), flush=True)
        bad += not ok
    sys.exit(1 if bad else 0)


if __name__ == "__main__":
    main()
