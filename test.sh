#!/usr/bin/env bash
# Builds everything and runs every test on the offscreen platform; non-zero on any failure.
set -euo pipefail
KVZ_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KVZ_ROOT/scripts/deps.sh"

kvz_install_packages
kvz_build "$KVZ_ROOT/build-test"
cd "$KVZ_ROOT/build-test"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
