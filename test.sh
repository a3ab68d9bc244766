#!/usr/bin/env bash
# Builds everything and runs every test on the offscreen platform, then again built with
# AddressSanitizer and UndefinedBehaviorSanitizer; non-zero on any failure.
# KVZ_SKIP_SANITIZE=1 skips the second run.
set -euo pipefail
KVZ_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KVZ_ROOT/scripts/deps.sh"

kvz_install_packages $KVZ_TEST_PACKAGES

# The class server's tests run in a throw-away PostgreSQL cluster that lives as long as ctest.
run_tests() {
    local dir=$1; shift
    kvz_build "$dir" "$@"
    (cd "$dir" && pg_virtualenv -t -o fsync=off \
        env QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")
}

run_tests "$KVZ_ROOT/build-test" -DKVZ_BUILD_TESTS=ON
if [ "${KVZ_SKIP_SANITIZE:-0}" != 1 ]; then
    echo "== the same tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    run_tests "$KVZ_ROOT/build-test-asan" -DKVZ_BUILD_TESTS=ON -DKVZ_SANITIZE=ON
fi
