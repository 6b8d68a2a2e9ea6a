#!/usr/bin/env bash
# Builds and runs every test: the debug build with AddressSanitizer and UBSan
# runs all tests, then the ThreadSanitizer build runs the threading tests.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/packages.sh
jobs=$(nproc)

cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"

if [ "${KESTRUNE_SKIP_TSAN:-0}" != "1" ]; then
    cmake --preset tsan >/dev/null
    cmake --build --preset tsan -j "$jobs"
    ctest --preset tsan -j "$jobs"
fi
