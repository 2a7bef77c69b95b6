#!/usr/bin/python3
"""`horgrid-tools annotate` against the HMM annotation of the standard AS-HOR monomers.

Usage: annotate_eval.py TOOLS DATA [--out DIR] [--threads 2] [--cases cen21,chrY]

DATA is the folder of the real data (bench/data: chm13_cen21/, chm13_chrY/). For each case the
command runs once (wall and processor time of the child measured); then every HMM monomer
inside the live array (runs of at least 20 HMM monomers of the array's HOR scoring at least
1.0 per base, gaps under 1 kb) is matched to the annotate monomer that overlaps it most (at
least half of it); agreement = same AS-HOR name. Prints one line per case and the most
frequent disagreements; exits 1 when a case agrees on less than 98 %. Then the same matching
for the HumAS-HMMER test sequence and its expected AS-HOR and AS-SF tracks (not gated)."""
import argparse, bisect, collections, os, resource, subprocess, sys, time

CASES = {  # name: (sequence, HMM annotation, HOR)
    "cen21": ("chm13_cen21/cen21.fa", "chm13_cen21/AS-HOR.hmm-annotation.bed", "S2C13/21H1L"),
    "chrY": ("chm13_chrY/chrY_9586662_11690972.fa.gz", "chm13_chrY/AS-HOR.hmm-annotation.bed", "S4CYH1L"),
}


def hmm_monomers(path, hor):
    out = []
    for line in open(path):
        c = line.rstrip("\n").split("\t")
        if c[3].startswith(hor + "."):
            s, e = int(c[1]), int(c[2])
            out.append((c[0], s, e, c[3], float(c[4]) / (e - s)))
    return sorted(out)


def live_spans(monomers, floor=1.0, gap=1000):
    spans, run = {}, []

    def close():
        if len(run) >= 20:
            r, s, e = run[0][0], run[0][1], run[-1][2]
            if r not in spans or e - s > spans[r][1] - spans[r][0]:
                spans[r] = (s, e)

    for m in monomers:
        if m[4] < floor:
            continue
        if run and (m[0] != run[-1][0] or m[1] - run[-1][2] > gap):
            close()
            run = []
        run.append(m)
    close()
    return spans


def bed(path):
    out = collections.defaultdict(list)
    for line in open(path):
        if line.startswith("track"):
            continue
        c = line.rstrip("\n").split("\t")
        out[c[0]].append((int(c[1]), int(c[2]), c[3]))
    for v in out.values():
        v.sort()
    return out


def overlapping(ours, starts, s, e):
    """The monomer of ours ((start, end, name, ...) sorted by start, starts their starts) that
    overlaps s..e most, if it covers at least half of it; else None."""
    j = max(0, bisect.bisect_right(starts, s) - 2)
    best, overlap = None, 0
    for o in ours[j:j + 5]:
        ov = min(e, o[1]) - max(s, o[0])
        if ov > overlap:
            best, overlap = o, ov
    return best if best and overlap >= 0.5 * (e - s) else None


def agreement(truth, ours, spans):
    starts = {r: [o[0] for o in v] for r, v in ours.items()}
    total = same = 0
    wrong = collections.Counter()
    for r, s, e, name, _ in truth:
        if r not in spans or s < spans[r][0] or e > spans[r][1]:
            continue
        total += 1
        best = overlapping(ours.get(r, []), starts.get(r, []), s, e)
        found = best[2] if best else "(none)"
        if found == name:
            same += 1
        else:
            wrong[(name, found)] += 1
    return total, same, wrong


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tools")
    ap.add_argument("data")
    ap.add_argument("--out", default="/tmp/annotate-eval")
    ap.add_argument("--threads", default="2")
    ap.add_argument("--cases", default=",".join(CASES))
    a = ap.parse_args()
    os.makedirs(a.out, exist_ok=True)
    ok = True
    for case in a.cases.split(","):
        seq, truth_path, hor = CASES[case]
        prefix = os.path.join(a.out, case)
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        t0 = time.time()
        subprocess.run([a.tools, "annotate", "-t", a.threads, "-o", prefix, os.path.join(a.data, seq)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wall = time.time() - t0
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        truth = hmm_monomers(os.path.join(a.data, truth_path), hor)
        spans = live_spans(truth)
        total, same, wrong = agreement(truth, bed(prefix + "_AS-HOR.bed"), spans)
        share = 100.0 * same / total if total else 0.0
        ok &= share >= 98.0
        print("%s: %d of %d live-array monomers named as the HMM annotation (%.2f %%); %.1f s wall, "
              "%.1f processor-s with %s threads" % (case, same, total, share, wall, cpu, a.threads))
        for (name, found), n in wrong.most_common(8):
            print("    %5d  HMM %s, annotate %s" % (n, name, found))
    # The HumAS-HMMER test sequence (chromosome 11, a diverged HOR) and its expected tracks.
    test = os.path.join(a.data, "standard_monomers/HumAS_test")
    if os.path.isdir(test):
        prefix = os.path.join(a.out, "humas")
        subprocess.run([a.tools, "annotate", "-o", prefix, os.path.join(test, "test.fa")], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for track, expected in (("AS-HOR", "AS-HOR-vs-test.bed"), ("AS-SF", "AS-SF-vs-test.bed")):
            truth = []
            for line in open(os.path.join(test, expected)):
                c = line.split("\t")
                truth.append((c[0], int(c[1]), int(c[2]), c[3], 0.0))
            ours = bed("%s_%s.bed" % (prefix, track))
            spans = {r: (0, 1 << 62) for r, *_ in truth}
            total, same, wrong = agreement(truth, ours, spans)
            print("HumAS test %s: %d of %d expected monomers named alike; %d monomers of ours" %
                  (track, same, total, sum(len(v) for v in ours.values())))
            for (name, found), n in wrong.most_common(4):
                print("    %5d  expected %s, annotate %s" % (n, name, found))
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
