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

# The strategy reader under libFuzzer for a short while, when clang and its
# fuzzer runtime are there: a clang build of only the modules the reader
# needs, started from the small seed files in tests/document/fuzz/corpus.
# A crash, a hang, a leak or a sanitizer report fails the script; what caused
# it is left in build/fuzz/findings. KESTRUNE_FUZZ_SECONDS sets how long
# (0 skips the step). The script compiler is fuzzed after it, for
# KESTRUNE_BASIC_FUZZ_SECONDS (20 by default).
fuzz_seconds=${KESTRUNE_FUZZ_SECONDS:-30}
if [ "$fuzz_seconds" != "0" ] && command -v clang++ >/dev/null 2>&1; then
    cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE= \
        -DKESTRUNE_BUILD_GUI=OFF \
        "-DCMAKE_CXX_FLAGS=-O1 -g -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
        "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
    if cmake --build build/fuzz --target help | grep -q '^fuzz_strategy_reader:'; then
        cmake --build build/fuzz -j "$jobs" --target fuzz_strategy_reader
        rm -rf build/fuzz/corpus build/fuzz/findings
        mkdir -p build/fuzz/corpus build/fuzz/findings
        # New inputs go to the first directory; the committed seeds stay as they are.
        build/fuzz/bin/fuzz_strategy_reader -dict=tests/document/fuzz/strategy.dict -max_len=4096 \
            -max_total_time="$fuzz_seconds" -timeout=10 -artifact_prefix=build/fuzz/findings/ \
            build/fuzz/corpus tests/document/fuzz/corpus
    else
        echo "clang++ cannot link libFuzzer here: the strategy reader is not fuzzed" >&2
    fi
    # The script compiler (and a short run of what it compiles), the same way.
    if cmake --build build/fuzz --target help | grep -q '^fuzz_basic_compiler:'; then
        cmake --build build/fuzz -j "$jobs" --target fuzz_basic_compiler
        rm -rf build/fuzz/basic_corpus build/fuzz/basic_findings
        mkdir -p build/fuzz/basic_corpus build/fuzz/basic_findings
        build/fuzz/bin/fuzz_basic_compiler -dict=tests/components/basic/fuzz/basic.dict -max_len=4096 \
            -max_total_time="${KESTRUNE_BASIC_FUZZ_SECONDS:-20}" -timeout=10 \
            -artifact_prefix=build/fuzz/basic_findings/ build/fuzz/basic_corpus tests/components/basic/fuzz/corpus
    else
        echo "clang++ cannot link libFuzzer here: the script compiler is not fuzzed" >&2
    fi
fi
