#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb) with the openbox window manager, so that
# window frames, maximising and real input events behave as on a desktop; with --no-wm,
# on the bare X server, as a session without a window manager has it.
#   with-x.sh [--screen WxH] [--no-wm] COMMAND...
set -euo pipefail
screen=1024x768
wm_wanted=1
if [ "${1:-}" = "--screen" ]; then screen=$2; shift 2; fi
if [ "${1:-}" = "--no-wm" ]; then wm_wanted=0; shift; fi
fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$fdfile" 2>/dev/null &
xvfb=$!
# A loaded machine may take a while to start either server; wait up to 20 s for each.
for _ in $(seq 400); do [ -s "$fdfile" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$fdfile")"
rm -f "$fdfile"
wm=
if [ $wm_wanted = 1 ]; then
    openbox >/dev/null 2>&1 &
    wm=$!
    for _ in $(seq 400); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
    if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        echo "with-x.sh: the window manager did not start" >&2
    fi
fi
unset QT_QPA_PLATFORM
set +e
"$@"
rc=$?
# shellcheck disable=SC2086
kill $wm "$xvfb" 2>/dev/null
# shellcheck disable=SC2086
wait $wm "$xvfb" 2>/dev/null
exit $rc
