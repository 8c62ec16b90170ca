#!/bin/sh
# Runs a test under a private X server with a window manager, for tests that need real window
# frames: xvfb-run picks a free display, and the test starts once openbox manages the screen
# (a window shown before that would be framed without Qt hearing of it).
set -eu
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh -c '
    openbox --sm-disable 2>/dev/null &
    wm=$!
    tries=0
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
        tries=$((tries + 1))
        if [ "$tries" -gt 150 ]; then
            echo "FAIL: openbox did not take over the screen (openbox, x11-utils?)" >&2
            exit 1
        fi
        sleep 0.1
    done
    status=0
    QT_QPA_PLATFORM=xcb "$@" || status=$?
    kill "$wm"
    exit "$status"' sh "$@"
