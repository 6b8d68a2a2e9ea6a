#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and runs the demo:
# installs the packages, builds the optimised programs, then runs the runtime.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/packages.sh
cmake --preset release >/dev/null
cmake --build --preset release

echo
echo "== Running the demo =="
if [ -f examples/demo.ksv ] && ./build/release/bin/kestrune-run --help 2>/dev/null | grep -q -- --watch; then
    ./build/release/bin/kestrune-run examples/demo.ksv --duration 20 --watch 'TASK1.RMP1,TASK1.AI1[0],TASK1.PID1'
else
    ./build/release/bin/kestrune-run --version
fi
