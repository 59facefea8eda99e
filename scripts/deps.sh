#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when
# any is missing. Runs apt-get as root, or through sudo.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache patch
    juce-modules-source
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "error: need root or sudo to install: ${missing[*]}" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
