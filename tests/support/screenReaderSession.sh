#!/usr/bin/env bash
# Runs a test program as a screen reader's user would have it: on a private virtual display,
# with a session bus and the accessibility bus, and Qt's bridge to it switched on. Qt's
# offscreen platform has no such bridge, so what Qt tells a screen reader is checked here.
set -euo pipefail
if [ -z "${KVZ_IN_SESSION:-}" ]; then
    session=$(mktemp -d)
    xvfb=
    trap 'if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi; rm -rf "$session"' EXIT
    # Only this session's programs get in: a random cookie that holds for any display number,
    # since the number is known only once the server has chosen it.
    export XAUTHORITY=$session/Xauthority
    : >"$XAUTHORITY"
    hex() { od -An -tx1 | tr -d ' \n'; }
    cookie=$(head -c 16 /dev/urandom | hex)
    echo "ffff 0000 0000 0012 $(printf MIT-MAGIC-COOKIE-1 | hex) 0010 $cookie" | xauth -q nmerge -
    # The server takes a free display itself and writes its number once it listens there: a
    # number picked beforehand may be another server's by then, or held where no lock file of
    # it can be seen.
    mkfifo "$session/display"
    Xvfb -displayfd 3 -nolisten tcp -auth "$XAUTHORITY" -screen 0 1280x1024x24 \
        3>"$session/display" 2>"$session/Xvfb.log" &
    xvfb=$!
    if ! read -r number <"$session/display"; then
        echo "Xvfb did not start:" >&2
        cat "$session/Xvfb.log" >&2
        exit 1
    fi
    export DISPLAY=:$number KVZ_IN_SESSION=1
    dbus-run-session -- "$0" "$@"
    exit
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
trap 'kill $launcher 2>/dev/null || true' EXIT
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"
