#!/usr/bin/env bash
# Builds the program alone (no tests), installs it under /usr/local and the delivered database at
# its fixed path when none is there, and starts the program in the current directory (where it
# keeps title.ini).
set -euo pipefail
KVZ_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KVZ_ROOT/scripts/deps.sh"

kvz_install_packages
kvz_build "$KVZ_ROOT/build-release" -DKVZ_BUILD_TESTS=OFF
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo cmake --install "$KVZ_ROOT/build-release"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: the program needs a graphical session."
    echo "Without one, run it under a virtual display:"
    echo "  sudo apt-get install -y xvfb && xvfb-run -a $KVZ_ROOT/build-release/src/startup/kvz"
    exit 1
fi
exec "$KVZ_ROOT/build-release/src/startup/kvz"
