#!/usr/bin/env python3
"""Whole-command wall time, processor time and peak memory of `horgrid -m`,
`horgrid -h` and `horgrid-tools dotplot` on generated alpha-satellite arrays.

The arrays are 12-monomer HORs of the DXZ1 types in examples/dxz1_monomers.fa,
every copy of every type mutated by 1-3 % (a fresh divergence per HOR copy),
and, as the HOR builder's worst case, monomers that are all mutually different
(each a type mutated by 15 %, so any two lie more than 7 % apart).

    bench/commands.py BUILD/horgrid WORK_DIRECTORY

horgrid-tools is taken from beside horgrid. HORGRID_THREADS (horgrid) and -t
(dotplot) set the threads of a run; each case runs REPEATS times (default 1,
environment variable HORGRID_BENCH_REPEATS) and reports its fastest run, as
other processes on the machine only ever slow a run down. Runs that write
nothing (an option this build lacks) are reported as skipped. Large result
files are removed after measuring.
"""

import os
import random
import subprocess
import sys
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(SOURCE, "examples"))
from make_array import mutate, read_fasta  # noqa: E402


def write_array(path, types, copies, rng, low=0.01, high=0.03):
    position = 1
    with open(path, "w") as out:
        for copy in range(1, copies + 1):
            divergence = rng.uniform(low, high)
            for name, sequence in types:
                monomer = mutate(sequence, divergence, rng)
                out.write(f"{name}{copy} + {position} {len(monomer)} {monomer}\n")
                position += len(monomer)


def write_distinct(path, types, count, rng, divergence=0.15):
    position = 1
    with open(path, "w") as out:
        for k in range(count):
            name, sequence = types[k % len(types)]
            monomer = mutate(sequence, divergence, rng)
            out.write(f"{name}{k // len(types) + 1} + {position} {len(monomer)} {monomer}\n")
            position += len(monomer)


TIME = "/usr/bin/time"


def run(command, path, threads=None, after=()):
    """Returns (exit status, wall seconds, processor seconds, peak resident KiB).

    GNU time measures the peak memory of horgrid alone; without it the peak
    from os.wait4 also counts this Python process, which the child starts as a
    copy of before it runs horgrid.
    """
    command = command + [os.path.basename(path)] + list(after)
    environment = dict(os.environ)
    if threads is not None:
        environment["HORGRID_THREADS"] = str(threads)
    report = os.path.join(os.path.dirname(path), ".time")
    if os.access(TIME, os.X_OK):
        command = [TIME, "-f", "%U %S %M", "-o", report] + command
    start = time.monotonic()
    with open(os.devnull, "w") as sink:
        child = subprocess.Popen(command, cwd=os.path.dirname(path), stdout=sink, stderr=sink,
                                 env=environment)
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
    wall = time.monotonic() - start
    cpu, rss = usage.ru_utime + usage.ru_stime, usage.ru_maxrss
    if command[0] == TIME:
        with open(report) as handle:
            user, system, rss = handle.read().split()[-3:]
        cpu, rss = float(user) + float(system), int(rss)
        os.remove(report)
    return child.returncode, wall, cpu, rss


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: commands.py HORGRID_BINARY WORK_DIRECTORY")
    binary, work = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    os.makedirs(work, exist_ok=True)
    types = read_fasta(os.path.join(SOURCE, "examples", "dxz1_monomers.fa"))
    rng = random.Random(7)

    inputs = {}
    for monomers in (2000, 10000, 30000):
        path = os.path.join(work, f"array{monomers}.ens")
        write_array(path, types, (monomers + len(types) - 1) // len(types), rng)
        inputs[f"array{monomers}"] = path
    path = os.path.join(work, "distinct5000.ens")
    write_distinct(path, types, 5000, rng)
    inputs["distinct5000"] = path

    tools = os.path.join(os.path.dirname(binary), "horgrid-tools")
    repeats = int(os.environ.get("HORGRID_BENCH_REPEATS", "1"))
    # (label, command, input, result suffix, threads for HORGRID_THREADS,
    # target seconds, target peak MB, remove the result after measuring)
    cases = [("horgrid -m", [binary, "-m"], "array2000", "_dot_matrix.txt", None, None, None, True),
             ("horgrid -m", [binary, "-m"], "array10000", "_dot_matrix.txt", 1, 15.0, None, True),
             ("horgrid -m", [binary, "-m"], "array10000", "_dot_matrix.txt", 2, 6.0, None, True),
             ("horgrid -m", [binary, "-m"], "array30000", "_dot_matrix.txt", 2, 60.0, None, True),
             ("horgrid -h", [binary, "-h"], "array2000", ".hor1", None, None, None, False),
             ("horgrid -h", [binary, "-h"], "array10000", ".hor1", None, None, None, False),
             ("horgrid -h", [binary, "-h"], "array30000", ".hor1", None, 5.0, None, False),
             ("horgrid -h", [binary, "-h"], "distinct5000", ".hor1", 1, 10.0, None, False),
             ("horgrid -h", [binary, "-h"], "distinct5000", ".hor1", 2, None, None, False),
             ("dotplot", [tools, "dotplot", "-t", "2"], "array10000", "_dotplot.png", 2, 6.0, 200, False),
             ("dotplot", [tools, "dotplot", "-t", "2"], "array30000", "_dotplot.png", 2, 60.0, 200, False)]
    print("\nWhole commands (wall and processor seconds, peak resident memory; fastest of "
          f"{repeats} run{'s' if repeats > 1 else ''}):\n")
    print(f"{'command':<30} {'threads':>7} {'monomers':>8} {'input MB':>9} {'wall s':>8} {'cpu s':>8}"
          f" {'max RSS MB':>11} {'RSS/input':>10}  target")
    walls = {}
    for label, command, name, suffix, threads, target, memory, remove in cases:
        path = inputs[name]
        with open(path) as handle:
            monomers = sum(1 for _ in handle)
        size = os.path.getsize(path)
        label = f"{label} {name}.ens"
        shown = "" if threads is None else str(threads)
        produced = path + suffix
        best = None
        for _ in range(repeats):
            if os.path.exists(produced):
                os.remove(produced)  # a result of an earlier run proves nothing
            result = run(command, path, threads)
            if best is None or result[1] < best[1]:
                best = result
        status, wall, cpu, rss = best
        if not os.path.exists(produced):
            print(f"{label:<30} {shown:>7} {monomers:>8} {size / 1e6:>9.1f}   skipped: this build writes no "
                  f"{os.path.basename(produced)}")
            continue
        verdicts = []
        if target is not None:
            verdicts.append(f"< {target:g} s: " + ("met" if wall < target else "MISSED"))
        if memory is not None:
            verdicts.append(f"< {memory:g} MB: " + ("met" if rss / 1024 < memory else "MISSED"))
        single = walls.get((label, 1))
        if threads == 2 and single is not None:
            verdicts.append(f"{single / wall:.2f}x of 1 thread (>= 1.7x: "
                            + ("met" if single / wall >= 1.7 else "MISSED") + ")")
        walls[(label, threads)] = wall
        note = "" if status == 0 else f" (exit {status})"
        print(f"{label:<30} {shown:>7} {monomers:>8} {size / 1e6:>9.1f} {wall:>8.2f} {cpu:>8.2f}"
              f" {rss / 1024:>11.1f} {rss * 1024 / size:>10.1f}  {', '.join(verdicts)}{note}")
        if remove:
            os.remove(produced)

    infer(binary, decompose(binary, work, types, rng))


def decompose(binary, work, types, rng):
    """horgrid-tools decompose, one thread, on a 3 Mb array (target < 5 s, < 500 MB)."""
    tools = os.path.join(os.path.dirname(binary), "horgrid-tools")
    path = os.path.join(work, "array3M.fa")
    bases = []
    while sum(len(b) for b in bases) < 3000000:
        divergence = rng.uniform(0.01, 0.03)
        bases.extend(mutate(sequence, divergence, rng) for _, sequence in types)
    array = "".join(bases)[:3000000]
    with open(path, "w") as out:
        out.write(">array3M\n")
        for start in range(0, len(array), 60):
            out.write(array[start:start + 60] + "\n")
    monomers = os.path.join(SOURCE, "examples", "dxz1_monomers.fa")
    status, wall, cpu, rss = run([tools, "decompose", "-t", "1", "-o", "array3M"], path, after=[monomers])
    print(f"\nhorgrid-tools decompose -t 1, {len(array)} bases, 12 types: wall {wall:.2f} s, cpu {cpu:.2f} s, "
          f"max RSS {rss / 1024:.1f} MB (targets < 5 s of processor time: {'met' if cpu < 5 else 'MISSED'}, "
          f"< 500 MB: {'met' if rss < 500 * 1024 else 'MISSED'}){'' if status == 0 else f' (exit {status})'}")
    return path


# The real CHM13 chrY centromere region (2.1 Mb: the DYZ3 HOR array with monomeric, SST1, HSat3 and
# bSat flanks), from bench/data (HORGRID_REAL_DATA names another folder of the same layout).
CHRY = os.path.join("chm13_chrY", "chrY_9586662_11690972.fa.gz")
REAL_DATA = os.environ.get("HORGRID_REAL_DATA") or os.path.join(SOURCE, "bench", "data")


def turned(sequence):
    return sequence[::-1].translate(str.maketrans("ACGT", "TGCA"))


def plant_array(work, rng, length=3000000):
    """A CEN180-like array (3 Mb) that no template fits: a random 178-bp unit, eight families 6 %
    from it, copies 2-6 % from their family; in its middle 450 kb of an old array 30 % from the
    unit in its own three-monomer order (copies 8-12 % from their family), in blocks of 20 copies
    of which four in five are reverse."""
    unit = "".join(rng.choice("ACGT") for _ in range(178))
    live = [mutate(unit, 0.06, rng) for _ in range(8)]
    old = mutate(unit, 0.30, rng)
    ancient = [mutate(old, 0.06, rng) for _ in range(3)]
    parts = []

    def lay(bases):
        while sum(len(p) for p in parts) < bases:
            parts.append(mutate(rng.choice(live), rng.uniform(0.02, 0.06), rng))

    lay(length * 17 // 40)
    for block in range(450000 // (20 * 178)):
        copies = "".join(mutate(ancient[k % 3], rng.uniform(0.08, 0.12), rng) for k in range(20))
        parts.append(copies if block % 5 == 4 else turned(copies))
    lay(length)
    array = "".join(parts)[:length]
    name = f"plant{length / 1e6:g}M"
    path = os.path.join(work, name + ".fa")
    with open(path, "w") as out:
        out.write(f">{name}\n")
        for start in range(0, len(array), 60):
            out.write(array[start:start + 60] + "\n")
    return path


def infer(binary, path):
    """horgrid-tools infer, two threads, default templates, on the same array, on a 3 Mb
    CEN180-like array (the de novo route) and on the real chrY region (targets < 30 s wall,
    < 1 GB); and on a 4.5 Mb CEN180-like array, the size of a plant centromere (< 20 s wall, and
    wall time per base within 1.25 times the 3 Mb one's: linear in the length)."""
    tools = os.path.join(os.path.dirname(binary), "horgrid-tools")
    work = os.path.dirname(path)
    cases = [("the same array", path, "infer3M", 30),
             ("a 3 Mb CEN180-like array (de novo)", plant_array(work, random.Random(11)), "inferPlant", 30),
             ("a 4.5 Mb CEN180-like array (de novo)", plant_array(work, random.Random(13), 4500000),
              "inferPlant4", 20)]
    region = os.path.join(REAL_DATA, CHRY)
    if os.path.exists(region):
        copy = os.path.join(os.path.dirname(path), "chrY_region.fa.gz")
        with open(region, "rb") as source, open(copy, "wb") as target:
            target.write(source.read())
        cases.append(("the CHM13 chrY region (2.1 Mb)", copy, "inferY", 30))
    else:
        print(f"horgrid-tools infer on the chrY region: skipped ({region} not found)")
    walls = {}
    for label, sequence, prefix, target in cases:
        status, wall, cpu, rss = run([tools, "infer", "-t", "2", "-o", prefix], sequence)
        walls[prefix] = wall
        print(f"horgrid-tools infer -t 2, {label}, built-in templates: wall {wall:.2f} s, cpu {cpu:.2f} s, "
              f"max RSS {rss / 1024:.1f} MB (targets < {target} s: {'met' if wall < target else 'MISSED'}, "
              f"< 1 GB: {'met' if rss < 1024 * 1024 else 'MISSED'}){'' if status == 0 else f' (exit {status})'}")
    ratio = (walls["inferPlant4"] / 4.5) / (walls["inferPlant"] / 3.0)
    print(f"horgrid-tools infer -t 2, CEN180-like 4.5 Mb against 3 Mb: wall per base {ratio:.2f} times "
          f"(target <= 1.25: {'met' if ratio <= 1.25 else 'MISSED'})")


if __name__ == "__main__":
    main(sys.argv)
