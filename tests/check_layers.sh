#!/bin/sh
# The folders of src/ form layers: a folder's files include headers of its own
# folder and of folders below it, never of one that (through its includes)
# includes it back. Prints every cycle of folders and fails when there is one.
# Argument: the source directory.
set -eu
src=${1:-$(dirname "$0")/..}/src

# One "from to" line per include of another folder's header.
edges=$(cd "$src" && grep -H '^#include "[a-z]*/' */*.h */*.cpp |
    sed 's|^\([a-z]*\)/[^:]*:#include "\([a-z]*\)/.*|\1 \2|' | awk '$1 != $2' | sort -u)

# A folder that reaches itself through the edges lies on a cycle.
status=0
for folder in $(echo "$edges" | awk '{print $1}' | sort -u); do
    reached=" "
    next=$folder
    while [ -n "$next" ]; do
        found=""
        for from in $next; do
            for to in $(echo "$edges" | awk -v f="$from" '$1 == f {print $2}'); do
                case "$reached" in *" $to "*) continue ;; esac
                reached="$reached$to "
                found="$found $to"
            done
        done
        next=$found
    done
    case "$reached" in
        *" $folder "*)
            echo "src/$folder is included back by folders it includes:"
            echo "$edges" | awk -v f="$folder" -v r="$reached" '$2 == f && index(r, " " $1 " ") {print "  " $1 " -> " $2}'
            status=1 ;;
    esac
done
[ "$status" -eq 0 ] && echo "no cycle among the folders of src/"
exit "$status"
