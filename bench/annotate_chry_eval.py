#!/usr/bin/env python3
"""`horgrid-tools annotate` on the CHM13 chrY centromere region against its T2T satellite annotation.

    bench/annotate_chry_eval.py TOOLS DATA [--out DIR] [--threads 2]

DATA is the real data folder (bench/data); the case needs chm13_chrY/chrY_9586662_11690972.fa.gz and
chm13_chrY/cenSat.bed (the T2T cenSat track of the region: active_hor, mon, HSat3, bSat, SST1,
composite repeats `ct`, ...). annotate runs once on the whole region; then:

- the live array: the ends of the `live HOR` arrays against the `active_hor` interval (within 2 kb);
- the monomeric flanks: every alpha-satellite monomer (AS-SF track) whose middle lies in a `mon`
  interval, counted by the class of the array that holds it (monomeric or not);
- other satellites: alpha-satellite monomers with any base in HSat3, bSat, SST1 (cenSat(SST1...)) or
  `ct`, and those with their middle there.

Prints the figures; exits 1 when the live array's ends are more than 2 kb off, or when a monomer
has its middle in HSat3, bSat, SST1 or `ct`.
"""

import argparse
import bisect
import os
import subprocess
import sys
import tempfile
import time

from annotate_assembly import LIMIT, read_intervals as read_bed

OTHER = ("HSat3", "bSat", "cenSat(SST1", "ct")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("tools")
    parser.add_argument("data")
    parser.add_argument("--out", default=None, help="folder for annotate's files (default: a temporary one)")
    parser.add_argument("--threads", type=int, default=2)
    args = parser.parse_args()
    fasta = os.path.join(args.data, "chm13_chrY", "chrY_9586662_11690972.fa.gz")
    censat_path = os.path.join(args.data, "chm13_chrY", "cenSat.bed")
    if not (os.path.exists(fasta) and os.path.exists(censat_path)):
        print(f"chrY region: skipped, no {fasta} or {censat_path}")
        return
    out = args.out or tempfile.mkdtemp(prefix="annotate-chrY-")
    os.makedirs(out, exist_ok=True)
    prefix = os.path.join(out, "chrY")
    begin = time.monotonic()
    subprocess.run([args.tools, "annotate", "-t", str(args.threads), "-o", prefix, fasta], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.monotonic() - begin

    censat = read_bed(censat_path)
    arrays = read_bed(prefix + "_arrays.tsv")
    monomers = read_bed(prefix + "_AS-SF.bed")
    failed = False

    active = [row for row in censat if row[3].startswith("active_hor")]
    live = [row for row in arrays if row[3] == "live HOR"]
    for record, start, end, name, _ in active:
        hits = [a for a in live if a[0] == record and a[1] < end and start < a[2]]
        if not hits:
            print(f"{name} {start}-{end}: no live array")
            failed = True
            continue
        first, last = min(a[1] for a in hits), max(a[2] for a in hits)
        distance = max(abs(first - start), abs(last - end))
        failed |= distance > LIMIT
        print(f"{name} {start}-{end}: live array {first}-{last} ({len(hits)} array(s), "
              f"{', '.join(a[4][4] for a in hits)}), ends {first - start:+d} and {last - end:+d} bases")

    # The array of each monomer: arrays are in order and do not overlap.
    starts = [a[1] for a in arrays]

    def array_of(record, middle):
        i = bisect.bisect_right(starts, middle) - 1
        if i >= 0 and arrays[i][0] == record and arrays[i][1] <= middle < arrays[i][2]:
            return arrays[i]
        return None

    def inside(intervals, record, position):
        return any(r == record and s <= position < e for r, s, e, *_ in intervals)

    mon = [row for row in censat if row[3] == "mon"]
    in_mon = [m for m in monomers if inside(mon, m[0], (m[1] + m[2]) // 2)]
    monomeric = [m for m in in_mon if (array_of(m[0], (m[1] + m[2]) // 2) or [None] * 4)[3] == "monomeric"]
    other_kinds = {}
    for m in in_mon:
        array = array_of(m[0], (m[1] + m[2]) // 2)
        if array is None or array[3] != "monomeric":
            key = "no array" if array is None else f"{array[3]} {array[4][4]}"
            other_kinds[key] = other_kinds.get(key, 0) + 1
    mon_bases = sum(e - s for _, s, e, *_ in mon)
    print(f"mon ({len(mon)} intervals, {mon_bases} bases): {len(monomeric)} of {len(in_mon)} alpha monomers in "
          f"monomeric arrays" + ("; the others: " + ", ".join(f"{n} in {k}" for k, n in sorted(other_kinds.items()))
                                 if other_kinds else ""))

    others = [row for row in censat if row[3].startswith(OTHER)]
    touching, middles = 0, 0
    for record, start, end, *_ in monomers:
        if any(r == record and s < end and start < e for r, s, e, *_ in others):
            touching += 1
        if inside(others, record, (start + end) // 2):
            middles += 1
            print(f"alpha monomer {record}:{start}-{end} lies in HSat3, bSat, SST1 or ct")
    failed |= middles > 0
    other_bases = sum(e - s for _, s, e, *_ in others)
    print(f"HSat3, bSat, SST1 and ct ({len(others)} intervals, {other_bases} bases): {middles} alpha monomers "
          f"inside, {touching} touching one by at least a base (of {len(monomers)} monomers in all)")
    print(f"{len(arrays)} arrays; annotate -t {args.threads}: {wall:.1f} s wall")
    if failed:
        sys.exit(1)


if __name__ == "__main__":
    main()
