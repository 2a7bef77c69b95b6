#!/usr/bin/env python3
"""`horgrid-tools annotate` on a whole generated 100 Mb assembly: time, memory, arrays found.

    bench/annotate_assembly.py TOOLS WORK [--data DIR] [--threads 2] [--human-alpha-mb 90]

Writes (once) WORK/assembly.fa and WORK/assembly.truth.bed with bench/make_assembly.py
(random sequence, assembly gaps, an empty record, the real cen21 array and the 2.1 Mb chrY
centromere region embedded forward and reverse-complemented), runs `annotate -t THREADS` on it
under /usr/bin/time (wall time, peak resident memory) and times the records from the progress
lines on standard error. Then each truth interval is matched to the arrays that overlap it (the
first one's start and the last one's end against the interval's ends; found when both lie within
2 kb), and arrays that overlap no truth interval are false calls. Exits 1 when an array is
missed or an end is more than 2 kb off, when there is a false call, or when the run takes 60 s or
more or 2 GB or more. The cenSat track's satellite arrays other than alpha satellite
(PREFIX_cenSat.bed, not ct or GAP) must lie within the embedded chrY region (within
CHRY_REACH bases of its alpha satellite); any other is a false satellite call.

The extrapolation to a 3.1 Gb human assembly: the records without alpha satellite give the time
per base of the reading and the filter, the rest of the run the time per base of embedded alpha
satellite; a human assembly is taken to hold --human-alpha-mb megabases of alpha satellite (about
3 % of it).
"""

import argparse
import os
import re
import subprocess
import sys
import time

from scan_assembly import generated_assembly

LIMIT = 2000
# The chrY region is 2.1 Mb long: every base of it lies this close to its alpha satellite.
CHRY_REACH = 2200000
ALPHA_CLASSES = ("live HOR", "diverged HOR", "monomeric")
NOT_ARRAYS = ("ct", "GAP")


def read_intervals(path):
    """(record, start, end, name, all columns) of each line of a BED or an arrays table."""
    rows = []
    with open(path) as handle:
        for line in handle:
            if line.startswith(("#", "track")) or not line.strip():
                continue
            fields = line.rstrip("\n").split("\t")
            rows.append((fields[0], int(fields[1]), int(fields[2]), fields[3], fields))
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("tools")
    parser.add_argument("work")
    parser.add_argument("--data", default=None, help="the real data folder (default: make_assembly.py's)")
    parser.add_argument("--threads", type=int, default=2)
    parser.add_argument("--human-alpha-mb", type=float, default=90.0)
    args = parser.parse_args()
    fasta, truth_path = generated_assembly(args.work, args.data)
    prefix = os.path.join(args.work, "annotate")
    command = ["/usr/bin/time", "-v", args.tools, "annotate", "-t", str(args.threads), "-o", prefix, fasta]
    begin = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    # Seconds spent on each record, from the progress lines.
    record_seconds = []
    last = begin
    report = []
    for line in process.stderr:
        now = time.monotonic()
        if re.match(r"horgrid-tools annotate: \d+ records, \d+ bases done", line):
            record_seconds.append(now - last)
            last = now
        report.append(line)
    process.wait()
    if process.returncode != 0:
        sys.stderr.write("".join(report))
        sys.exit(f"annotate failed with status {process.returncode}")
    stats = "".join(report)
    wall = re.search(r"Elapsed \(wall clock\) time \(h:mm:ss or m:ss\): (\S+)", stats).group(1)
    wall_seconds = sum(float(part) * 60 ** i for i, part in enumerate(reversed(wall.split(":"))))
    peak_mb = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", stats).group(1)) / 1024
    processor = sum(float(re.search(pattern, stats).group(1))
                    for pattern in (r"User time \(seconds\): (\S+)", r"System time \(seconds\): (\S+)"))

    truth = read_intervals(truth_path)
    arrays = [a for a in read_intervals(prefix + "_arrays.tsv") if a[3] in ALPHA_CLASSES]
    used = set()
    worst = 0
    missed = 0
    print("truth\trecord\tstart\tend\tfound start\tfound end\tstart distance\tend distance\tarrays")
    for record, start, end, name, _ in truth:
        hits = [i for i, a in enumerate(arrays) if a[0] == record and a[1] < end and start < a[2]]
        used.update(hits)
        if not hits:
            print(f"{name}\t{record}\t{start}\t{end}\tMISSED")
            missed += 1
            continue
        first, last_array = arrays[hits[0]], arrays[hits[-1]]
        distance = max(abs(first[1] - start), abs(last_array[2] - end))
        worst = max(worst, distance)
        if distance > LIMIT:
            missed += 1
        print(f"{name}\t{record}\t{start}\t{end}\t{first[1]}\t{last_array[2]}\t{first[1] - start}\t"
              f"{last_array[2] - end}\t{len(hits)}")
    false_calls = [a for i, a in enumerate(arrays) if i not in used]
    for record, start, end, *_ in false_calls:
        print(f"false call\t{record}\t{start}\t{end}")

    chrY = [(record, start, end) for record, start, end, name, _ in truth if name.startswith("chrY")]
    satellites = [r for r in read_intervals(prefix + "_cenSat.bed")
                  if r[3] not in NOT_ARRAYS and not r[3].startswith(("active_hor", "hor(", "dhor", "mon"))]
    false_satellites = [r for r in satellites
                        if not any(r[0] == record and r[1] < end + CHRY_REACH and start - CHRY_REACH < r[2]
                                   for record, start, end in chrY)]
    for record, start, end, name, _ in false_satellites:
        print(f"false satellite call\t{record}\t{start}\t{end}\t{name}")

    # Records and their lengths, in file order, from the .fai-free FASTA.
    lengths = []
    with open(fasta) as handle:
        for line in handle:
            if line.startswith(">"):
                lengths.append([line[1:].split()[0], 0])
            else:
                lengths[-1][1] += len(line.strip())
    alpha = {record for record, *_ in truth}
    total_bases = sum(length for _, length in lengths)
    plain = [(seconds, lengths[i][1]) for i, seconds in enumerate(record_seconds)
             if i < len(lengths) and lengths[i][0] not in alpha]
    plain_seconds = sum(s for s, _ in plain)
    plain_bases = sum(b for _, b in plain)
    alpha_bases = sum(end - start for _, start, end, *_ in truth)
    per_plain = plain_seconds / plain_bases if plain_bases else 0.0
    alpha_seconds = max(0.0, wall_seconds - per_plain * total_bases)
    per_alpha = alpha_seconds / alpha_bases if alpha_bases else 0.0
    human = 3.1e9 * per_plain + args.human_alpha_mb * 1e6 * per_alpha

    print(f"arrays: {len(truth) - missed} of {len(truth)} truth intervals found with both ends within {LIMIT} "
          f"bases (largest distance {worst}); {len(false_calls)} false calls; {len(arrays)} arrays in the table")
    print(f"annotate -t {args.threads}, {total_bases / 1e6:.0f} Mb: {wall_seconds:.1f} s wall, "
          f"{processor:.1f} processor-s, peak {peak_mb:.0f} MB")
    print(f"records without alpha satellite: {plain_bases / 1e6:.0f} Mb in {plain_seconds:.2f} s "
          f"({plain_bases / 1e6 / plain_seconds if plain_seconds else 0:.0f} Mb/s); the {alpha_bases / 1e6:.2f} Mb "
          f"of embedded alpha satellite (with the rest of their records) {alpha_seconds:.1f} s")
    print(f"extrapolated to 3.1 Gb with {args.human_alpha_mb:.0f} Mb of alpha satellite: {human / 60:.0f} min wall "
          f"({3.1e9 * per_plain:.0f} s reading and filtering, {args.human_alpha_mb * 1e6 * per_alpha:.0f} s annotating)")
    print(f"satellite arrays of the cenSat track: {len(satellites)}, {len(false_satellites)} outside the chrY "
          f"region")
    if missed or false_calls or false_satellites or wall_seconds >= 60 or peak_mb >= 2048:
        sys.exit(1)


if __name__ == "__main__":
    main()
