#!/usr/bin/env python3
"""Puts an assembly under the workflow's fixed name so it can be indexed:
plain FASTA and bgzip (BGZF) files as a symbolic link, plain gzip (which
cannot be indexed) recompressed with bgzip.

    link_assembly.py ASSEMBLY OUT
"""
import os
import subprocess
import sys


def kind(path):
    with open(path, "rb") as f:
        head = f.read(18)
    if head[:2] != b"\x1f\x8b":
        return "plain"
    # BGZF: gzip with the FEXTRA flag and a "BC" extra subfield.
    if len(head) >= 18 and head[3] & 4 and head[12:14] == b"BC":
        return "bgzf"
    return "gzip"


def main(source, out):
    if os.path.lexists(out):
        os.remove(out)
    if kind(source) != "gzip":
        os.symlink(source, out)
        return
    partial = out + ".partial"
    with open(partial, "wb") as target:
        unzip = subprocess.Popen(["gzip", "-dc", source], stdout=subprocess.PIPE)
        subprocess.run(["bgzip", "-c"], stdin=unzip.stdout, stdout=target, check=True)
        unzip.stdout.close()
        if unzip.wait() != 0:
            sys.exit(f"link_assembly.py: cannot decompress {source}")
    os.replace(partial, out)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(os.path.abspath(sys.argv[1]), sys.argv[2])
