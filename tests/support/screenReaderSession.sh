#!/usr/bin/env bash
# Runs a test program as a screen reader's user would have it: on a private virtual display,
# with a session bus and the accessibility bus, and Qt's bridge to it switched on. Qt's
# offscreen platform has no such bridge, so what Qt tells a screen reader is checked here.
set -euo pipefail
if [ -z "${KVZ_IN_SESSION:-}" ]; then
    export KVZ_IN_SESSION=1
    exec xvfb-run -a dbus-run-session -- "$0" "$@"
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
trap 'kill $launcher 2>/dev/null || true' EXIT
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"
