#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing,
# and runs 'apt-get update' only when something must be installed.
set -euo pipefail

KESTRUNE_PACKAGES=(
    g++ cmake ninja-build make pkg-config ccache
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    nlohmann-json3-dev
    qt6-base-dev libgl-dev
    # benchmarks only: the timer's reference and the script engine's comparisons
    rt-tests lua5.4 bwbasic bc
)

missing=()
for p in "${KESTRUNE_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "These packages are missing and installing them needs root: ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
    echo "All required packages are installed."
fi
