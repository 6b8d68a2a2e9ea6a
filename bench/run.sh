#!/bin/sh
# Builds every benchmark of the release preset and runs each one in turn;
# every program prints "RATIO" lines against baselines measured in the same
# run, which are gathered again at the end.
#
#   bench/run.sh [benchmark flags...]
#
# KESTRUNE_BENCH_BUILD_DIR=<dir> uses an already configured build directory
# (with -DKESTRUNE_BUILD_BENCH=ON) instead of the release preset's.
set -eu

source_dir=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${KESTRUNE_BENCH_BUILD_DIR:-}" ]; then
    build_dir=$KESTRUNE_BENCH_BUILD_DIR
else
    build_dir=$source_dir/build/release
    (cd "$source_dir" && cmake --preset release >/dev/null)
fi

# One program per bench/<name>/ folder that holds sources, as bench/CMakeLists.txt builds them.
names=""
for dir in "$source_dir"/bench/*/; do
    name=$(basename "$dir")
    if ls "$dir"*.cpp >/dev/null 2>&1; then names="$names $name"; fi
done
if [ -z "$names" ]; then
    echo "no benchmarks under $source_dir/bench" >&2
    exit 1
fi

targets=""
for name in $names; do targets="$targets bench_$name"; done
# shellcheck disable=SC2086 # one word per target
cmake --build "$build_dir" --target $targets

summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
status=0
for name in $names; do
    echo "== bench_$name"
    log=$(mktemp)
    # The program's own exit status, which a plain pipe into tee would hide.
    { "$build_dir/bin/bench_$name" "$@"; echo $? >"$log.rc"; } | tee "$log"
    [ "$(cat "$log.rc")" = 0 ] || status=1
    grep '^RATIO' "$log" | sed "s/^/bench_$name: /" >>"$summary" || true
    rm -f "$log" "$log.rc"
done

echo
echo "== ratios"
cat "$summary"
exit $status
