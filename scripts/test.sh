#!/usr/bin/env bash
# Builds everything in Release and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset release
cmake --build --preset release
ctest --preset release
