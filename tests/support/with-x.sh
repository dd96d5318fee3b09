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
wm_log=$(mktemp)
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
if [ $wm_wanted = 1 ]; then
    openbox >/dev/null 2>"$wm_log" &
    wm=$!
    for _ in $(seq 400); do
        wm_up && break
        # A window manager that gave up says why, and gets another start.
        if ! kill -0 "$wm" 2>/dev/null; then
            echo "with-x.sh: openbox ended at start: $(tr '\n' ' ' <"$wm_log")" >&2
            openbox >/dev/null 2>"$wm_log" &
            wm=$!
        fi
        sleep 0.05
    done
    wm_up || echo "with-x.sh: the window manager did not start: $(tr '\n' ' ' <"$wm_log")" >&2
fi
rm -f "$wm_log"
unset QT_QPA_PLATFORM
set +e
"$@"
rc=$?
# shellcheck disable=SC2086
kill $wm "$xvfb" 2>/dev/null
# shellcheck disable=SC2086
wait $wm "$xvfb" 2>/dev/null
exit $rc
