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
# Needs the Debian packages lua5.4, bwbasic and bc (scripts/packages.sh
# installs them) and python3.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
kb=${1:-$source_dir/build/release/bin/kestrune-basic}
if [ ! -x "$kb" ]; then
    (cd "$source_dir" && cmake --preset release >/dev/null && cmake --build --preset release --target kestrune-basic >/dev/null)
fi
for tool in lua5.4 bwbasic; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install lua5.4 bwbasic)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# CPU seconds (user + system) a command takes, the least of $1 runs: the
# machine may be shared, and waiting for a core is not the program's cost.
# Its output is kept in $work/out.
timed() {
    runs=$1
    shift
    python3 - "$runs" "$work/out" "$@" <<'PY'
import resource, subprocess, sys
runs, out, cmd = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
best = None
for _ in range(runs):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    with open(out, "w") as f:
        code = subprocess.call(cmd, stdin=subprocess.DEVNULL, stdout=f, stderr=subprocess.STDOUT)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if code != 0:
        sys.stderr.write("failed: %s\n" % " ".join(cmd))
        sys.stderr.write(open(out).read())
        sys.exit(1)
    t = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    best = t if best is None else min(best, t)
print("%.4f" % best)
PY
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
for workload in "fib 30 16" "loop 20000000 200000" "sort 3000 200" "strings 2000000 20000"; do
    set -- $workload
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
