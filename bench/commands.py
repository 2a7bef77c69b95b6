#!/usr/bin/env python3
"""Whole-command wall time, processor time and peak memory of `horgrid -m` and
`horgrid -h` on generated alpha-satellite arrays.

The arrays are 12-monomer HORs of the DXZ1 types in examples/dxz1_monomers.fa,
every copy of every type mutated by 1-3 % (a fresh divergence per HOR copy),
and, as the HOR builder's worst case, monomers that are all mutually different
(each a type mutated by 15 %, so any two lie more than 7 % apart).

    bench/commands.py BUILD/horgrid WORK_DIRECTORY

Runs that an option does not support yet (no .hor1 written) are reported as
skipped. Large result files are removed after measuring.
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


def run(binary, option, path, extra=(), after=()):
    """Returns (exit status, wall seconds, processor seconds, peak resident KiB).

    GNU time measures the peak memory of horgrid alone; without it the peak
    from os.wait4 also counts this Python process, which the child starts as a
    copy of before it runs horgrid.
    """
    command = [binary, option] + list(extra) + [os.path.basename(path)] + list(after)
    report = os.path.join(os.path.dirname(path), ".time")
    if os.access(TIME, os.X_OK):
        command = [TIME, "-f", "%U %S %M", "-o", report] + command
    start = time.monotonic()
    with open(os.devnull, "w") as sink:
        child = subprocess.Popen(command, cwd=os.path.dirname(path), stdout=sink, stderr=sink)
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

    cases = [("-m", "array2000", None), ("-m", "array10000", 15.0),
             ("-h", "array2000", None), ("-h", "array10000", None), ("-h", "array30000", 5.0),
             ("-h", "distinct5000", 10.0)]
    print("\nWhole commands (wall and processor seconds, peak resident memory):\n")
    print(f"{'command':<30} {'monomers':>8} {'input MB':>9} {'wall s':>8} {'cpu s':>8} {'max RSS MB':>11}"
          f" {'RSS/input':>10}  target")
    for option, name, target in cases:
        path = inputs[name]
        with open(path) as handle:
            monomers = sum(1 for _ in handle)
        size = os.path.getsize(path)
        label = f"horgrid {option} {name}.ens"
        produced = path + ("_dot_matrix.txt" if option == "-m" else ".hor1")
        if os.path.exists(produced):
            os.remove(produced)  # a result of an earlier run proves nothing
        status, wall, cpu, rss = run(binary, option, path)
        if not os.path.exists(produced):
            print(f"{label:<30} {monomers:>8} {size / 1e6:>9.1f}   skipped: this build writes no "
                  f"{os.path.basename(produced)}")
            continue
        verdict = "" if target is None else (f"< {target:g} s: " + ("met" if wall < target else "MISSED"))
        note = "" if status == 0 else f" (exit {status})"
        print(f"{label:<30} {monomers:>8} {size / 1e6:>9.1f} {wall:>8.2f} {cpu:>8.2f} {rss / 1024:>11.1f}"
              f" {rss * 1024 / size:>10.1f}  {verdict}{note}")
        if option == "-m":
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
    status, wall, cpu, rss = run(tools, "decompose", path, ["-t", "1", "-o", "array3M"], [monomers])
    print(f"\nhorgrid-tools decompose -t 1, {len(array)} bases, 12 types: wall {wall:.2f} s, cpu {cpu:.2f} s, "
          f"max RSS {rss / 1024:.1f} MB (targets < 5 s of processor time: {'met' if cpu < 5 else 'MISSED'}, "
          f"< 500 MB: {'met' if rss < 500 * 1024 else 'MISSED'}){'' if status == 0 else f' (exit {status})'}")
    return path


def infer(binary, path):
    """horgrid-tools infer, two threads, default templates, on the same array (target < 60 s, < 1 GB)."""
    tools = os.path.join(os.path.dirname(binary), "horgrid-tools")
    status, wall, cpu, rss = run(tools, "infer", path, ["-t", "2", "-o", "infer3M"])
    print(f"horgrid-tools infer -t 2, the same array, built-in templates: wall {wall:.2f} s, cpu {cpu:.2f} s, "
          f"max RSS {rss / 1024:.1f} MB (targets < 60 s: {'met' if wall < 60 else 'MISSED'}, "
          f"< 1 GB: {'met' if rss < 1024 * 1024 else 'MISSED'}){'' if status == 0 else f' (exit {status})'}")


if __name__ == "__main__":
    main(sys.argv)
