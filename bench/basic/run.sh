#!/bin/sh
# Runs the four script workloads (recursive fib, a Long loop summing i Mod 7,
# a bubble sort of an LCG-filled array, string building) in our Basic with
# kestrune-basic, in Lua 5.4 and in bwbasic on the same work, checks that
# each pair prints the same checksum, and prints the time ratios. bwbasic is
# far slower, so it is compared at a smaller size than Lua.
#
#   bench/basic/run.sh [path/to/kestrune-basic]
#
# Default program: build/release/bin/kestrune-basic (built when missing).
# Needs lua5.4 and bwbasic (scripts/packages.sh installs them).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
kb=${1:-$source_dir/build/release/bin/kestrune-basic}
if [ ! -x "$kb" ]; then
    (cd "$source_dir" && cmake --preset release >/dev/null && cmake --build --preset release --target kestrune-basic >/dev/null)
fi
for tool in lua5.4 bwbasic; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/packages.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Seconds taken by a command (the fastest of $2 runs); its output kept in $work/out.
timed() {
    runs=$1
    shift
    best=""
    i=0
    while [ "$i" -lt "$runs" ]; do
        start=$(date +%s.%N)
        "$@" </dev/null >"$work/out" 2>&1 || { echo "failed: $*" >&2; cat "$work/out" >&2; exit 1; }
        end=$(date +%s.%N)
        t=$(echo "$end - $start" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
        i=$((i + 1))
    done
    echo "$best"
}

checksum() {
    sed -n 's/^.*CHECKSUM[^0-9-]*\(-\{0,1\}[0-9][0-9]*\).*$/\1/p' "$work/out" | head -n 1
}

# make NAME SIZE FILE: the program with its size filled in.
make_program() {
    sed "s/@N@/$2/" "$here/$1" >"$work/$3"
}

status=0
summary=""
# workload, size against Lua, size against bwbasic
for spec in "fib 30 16" "loop 20000000 200000" "sort 3000 200" "strings 2000000 20000"; do
    set -- $spec
    name=$1
    big=$2
    small=$3

    make_program "$name.bas" "$big" big.bas
    t_kb=$(timed 3 "$kb" "$work/big.bas")
    c_kb=$(checksum)
    t_lua=$(timed 3 lua5.4 "$here/$name.lua" "$big")
    c_lua=$(checksum)

    make_program "$name.bas" "$small" small.bas
    t_kb_small=$(timed 3 "$kb" "$work/small.bas")
    c_kb_small=$(checksum)
    make_program "$name.bw.bas" "$small" small.bw.bas
    t_bw=$(timed 1 bwbasic "$work/small.bw.bas")
    c_bw=$(checksum)

    if [ "$c_kb" != "$c_lua" ] || [ "$c_kb_small" != "$c_bw" ] || [ -z "$c_kb" ] || [ -z "$c_bw" ]; then
        echo "$name: checksums differ: ours $c_kb / lua $c_lua (n=$big), ours $c_kb_small / bwbasic $c_bw (n=$small)" >&2
        status=1
    fi
    vs_lua=$(echo "scale=2; $t_kb / $t_lua" | bc -l)
    vs_bw=$(echo "scale=2; $t_bw / $t_kb_small" | bc -l)
    printf '%-8s n=%-9s ours %7.3fs lua %7.3fs | n=%-7s ours %7.3fs bwbasic %8.3fs\n' \
        "$name" "$big" "$t_kb" "$t_lua" "$small" "$t_kb_small" "$t_bw"
    summary="$summary
RATIO basic_$name ours/lua5.4 = $vs_lua (aim <= 3); bwbasic/ours = $vs_bw (aim >= 3)"
done
echo "$summary"
exit $status
