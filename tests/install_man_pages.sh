#!/bin/sh
# Installs the built tree into a temporary prefix and checks that every command
# has its manual page there: horgrid.1, horgrid-tools.1 and horgrid-tools-COMMAND.1
# for each subcommand that `horgrid-tools` lists, that each is a page of that
# name which man renders, and that man finds it by name under the prefix.
# Argument: the build directory. Exit status 77 (skipped) when the build made no
# manual pages (go-md2man missing when it was configured).
set -eu

build_dir=$1
if grep -q '^HORGRID_MD2MAN:FILEPATH=.*NOTFOUND' "$build_dir/CMakeCache.txt"; then
    echo "no manual pages in this build: go-md2man was not found (scripts/setup.sh installs it)"
    exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/horgrid-man.XXXXXX")
trap 'rm -rf "$work"' EXIT
cmake --install "$build_dir" --prefix "$work/prefix" > "$work/install.log"
mandir=$work/prefix/share/man

commands=$("$build_dir/horgrid-tools" | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p')
if [ -z "$commands" ]; then
    echo "horgrid-tools listed no subcommands"
    exit 1
fi
status=0
for name in horgrid horgrid-tools $(for c in $commands; do echo "horgrid-tools-$c"; done); do
    page=$mandir/man1/$name.1
    if [ ! -f "$page" ]; then
        echo "no manual page $page"
        status=1
        continue
    fi
    if ! grep -q "^\.TH $name 1 " "$page"; then
        echo "$page is not the page of $name"
        status=1
    fi
    if command -v man > /dev/null; then
        text=$(MANWIDTH=80 man -l "$page" 2> "$work/man.err") || true
        if ! printf '%s\n' "$text" | grep -Eq "^ +$name +- "; then
            echo "man -l $page shows no NAME line for $name:"
            cat "$work/man.err"
            status=1
        fi
        found=$(MANPATH=$mandir man -w "$name" 2> /dev/null) || true
        if [ "$found" != "$page" ]; then
            echo "man -w $name under the prefix gives '$found', not $page"
            status=1
        fi
    fi
done
[ "$status" -eq 0 ] && echo "a manual page for horgrid, horgrid-tools and each of:" $commands
exit "$status"
