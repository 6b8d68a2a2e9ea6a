#!/usr/bin/env bash
# Fails when a file of the core (everything under src/ except src/gui) includes a Qt header.
set -u
root=${1:-$(dirname "$0")/..}
hits=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/)' "$root/src" --include='*.h' --include='*.cpp' | grep -v "^$root/src/gui/" || true)
if [ -n "$hits" ]; then
    echo "Qt headers included by the core:"
    echo "$hits"
    exit 1
fi
echo "core_has_no_qt: no Qt header in the core"
