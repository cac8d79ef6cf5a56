#!/bin/sh
# Checks the floors of the source tree from the includes of its files. From
# the ground up: platform/, modules/, the mascot's runtime (mascot/), settings/
# and last the program itself (mascot/win32/). A file includes only from its
# own floor or below, and the ids of the resource scripts (resources/); setup/
# stands apart: it includes only itself, and nothing else includes it. Files
# and the headers beside them (x.h with x.cpp) must not include each other in
# a circle. Prints each fault and exits 1 when there is one.
# usage: check-floors.sh SOURCE_DIR
set -eu
cd "$1"

find platform modules mascot settings setup -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) | sort |
while read -r file; do
    dir=$(dirname "$file")
    sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file" |
    while read -r included; do
        # As the compiler looks: beside the file first, then from the top.
        if [ -f "$dir/$included" ]; then target="$dir/$included"; else target=$included; fi
        [ -f "$target" ] || continue
        echo "$file $(realpath -m --relative-to=. "$target")"
    done
done | awk '
function floor(path) {
    if (path ~ /^platform\//) return 0
    if (path ~ /^modules\//) return 1
    if (path ~ /^mascot\/win32\//) return 4
    if (path ~ /^mascot\//) return 2
    if (path ~ /^settings\//) return 3
    if (path ~ /^setup\//) return "setup"
    if (path ~ /^resources\//) return "resources"
    return "outside"
}
function stem(path) {
    sub(/\.(h|cpp|rc)$/, "", path)
    return path
}
function fault(text) {
    print "FAIL: " text
    failed = 1
}
# Depth first; a node met again while on the path closes a circle.
function visit(node, path,    count, next_nodes, i, n, circle) {
    state[node] = 1
    path = path " " node
    count = split(adjacent[node], next_nodes, " ")
    for (i = 1; i <= count; i++) {
        n = next_nodes[i]
        if (!(n in state)) {
            visit(n, path)
        } else if (state[n] == 1) {
            circle = substr(path, index(path " ", " " n " ") + 1)
            gsub(/ /, " -> ", circle)
            fault("a circle of includes: " circle " -> " n)
        }
    }
    state[node] = 2
}
{
    from = $1
    to = $2
    a = floor(from)
    b = floor(to)
    if (a == "setup" || b == "setup") {
        if (a != b) fault(from " includes " to ": setup/ shares nothing with the rest")
    } else if (b == "outside") {
        fault(from " includes " to ", which lies outside the floors")
    } else if (b != "resources" && b > a) {
        fault(from " includes " to " from a higher floor")
    }
    s = stem(from)
    t = stem(to)
    nodes[s] = 1
    if (s != t && !((s, t) in edge)) {
        edge[s, t] = 1
        adjacent[s] = adjacent[s] " " t
    }
    edges++
}
END {
    if (edges == 0) fault("no includes found")
    for (node in nodes)
        if (!(node in state)) visit(node, "")
    if (failed) exit 1
    print "ok: " edges " includes, none upward, across to setup/ or in a circle"
}'
