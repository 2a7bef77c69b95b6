#!/usr/bin/env python3
"""Merges the annotation of an assembly's records into the assembly's files,
and the arrays tables of many assemblies into one.

    merge_annotation.py annotation PREFIX SAMPLE COUNT FOLDER...
        FOLDER/I/SAMPLE_SUFFIX, the results of record I (0 .. COUNT-1, in
        file order) in any of the folders
        -> PREFIX_SUFFIX for each of the six files `horgrid-tools annotate`
        writes: the header lines (track lines, a '#' header) once, then every
        record's lines in order. The records' header lines must agree.

    merge_annotation.py arrays OUTPUT NAME... -- ARRAYS_TSV...
        -> OUTPUT: the arrays of every assembly, an `assembly` column first.

Every result is written to a temporary file beside it and renamed into place
only when all of them are complete.
"""
import os
import sys
import tempfile

SUFFIXES = ["AS-HOR.bed", "AS-SF.bed", "AS-strand.bed", "AS-StV.bed", "arrays.tsv", "decomposition.tsv",
            "cenSat.bed", "cenSat-strand.bed"]


def split_header(path):
    """The leading header lines (track, browser, '#') and the other lines."""
    with open(path) as part:
        lines = part.readlines()
    n = 0
    while n < len(lines) and lines[n].startswith(("track", "browser", "#")):
        n += 1
    return lines[:n], lines[n:]


class Results:
    """Files written to temporaries and put in place together."""

    def __init__(self):
        self.pending = []

    def write(self, path, chunks):
        directory = os.path.dirname(os.path.abspath(path))
        descriptor, temporary = tempfile.mkstemp(dir=directory, prefix=".merge-", suffix=".tmp")
        self.pending.append((temporary, path))
        with os.fdopen(descriptor, "w") as out:
            for chunk in chunks:
                out.writelines(chunk)

    def commit(self):
        for temporary, path in self.pending:
            os.replace(temporary, path)
        self.pending = []

    def discard(self):
        for temporary, _ in self.pending:
            if os.path.exists(temporary):
                os.remove(temporary)


def record_folders(folders, count):
    """The folder of each record, in record order; every record once."""
    found = {}
    for folder in folders:
        for entry in os.listdir(folder):
            if entry.isdigit():
                if int(entry) in found:
                    sys.exit(f"merge_annotation.py: record {entry} is in {found[int(entry)]} and {folder}")
                found[int(entry)] = os.path.join(folder, entry)
    if sorted(found) != list(range(count)):
        sys.exit(f"merge_annotation.py: expected the results of records 0 to {count - 1}, found {sorted(found)}")
    return [found[index] for index in range(count)]


def merge_annotation(prefix, sample, count, folders):
    if count < 1:
        sys.exit(f"merge_annotation.py: {sample} has no record with sequence")
    parts = record_folders(folders, count)
    results = Results()
    try:
        for suffix in SUFFIXES:
            header, body = None, []
            for part in parts:
                path = os.path.join(part, f"{sample}_{suffix}")
                lines_header, lines = split_header(path)
                if header is None:
                    header = lines_header
                elif lines_header != header:
                    sys.exit(f"merge_annotation.py: the header of {path} differs from the first record's")
                body.append(lines)
            results.write(f"{prefix}_{suffix}", [header] + body)
        results.commit()
    finally:
        results.discard()


def merge_arrays(output, names, tables):
    if len(names) != len(tables):
        sys.exit("merge_annotation.py: one NAME per arrays table")
    header, rows = None, []
    for name, table in zip(names, tables):
        lines_header, lines = split_header(table)
        if lines_header:
            columns = lines_header[-1].lstrip("#")
            if header is None:
                header = "#assembly\t" + columns
            elif "#assembly\t" + columns != header:
                sys.exit(f"merge_annotation.py: the columns of {table} differ from the first table's")
        rows.append([f"{name}\t{line}" for line in lines if line.strip()])
    results = Results()
    try:
        results.write(output, [[header or "#assembly\n"]] + rows)
        results.commit()
    finally:
        results.discard()


def main(argv):
    if len(argv) >= 6 and argv[1] == "annotation":
        merge_annotation(argv[2], argv[3], int(argv[4]), argv[5:])
    elif len(argv) >= 4 and argv[1] == "arrays" and "--" in argv:
        split = argv.index("--")
        merge_arrays(argv[2], argv[3:split], argv[split + 1:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
