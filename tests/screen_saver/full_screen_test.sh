#!/usr/bin/env bash
# With the X server's saver timeout at 2 s, the player in full screen plays on past it
# and the saver stays off; after leaving full screen, and after quitting from full
# screen, the saver comes on again. The user's saver and DPMS settings stay as they were.
#   full_screen_test.sh PROGRAM SAVER_STATE CLIP      (on an X server with a window manager)
set -uo pipefail
program=$1
state_tool=$2
clip=$3
scratch=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
source "$(dirname "$0")/../support/checks.sh"
private_home "$scratch"
unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM

saver_on() { [ "$("$state_tool" | cut -d' ' -f1)" = on ]; }
settings() { xset q | sed -n '/^Screen Saver:/,/^Colors:/p; /^DPMS/,$p'; }
window=""
start() {
    "$program" "$clip" &
    pid=$!
    find_window() { window=$(xdotool search --all --pid "$pid" --onlyvisible --name '^FLV Player zimo$' 2>/dev/null | head -n 1); [ -n "$window" ]; }
    wait_for find_window
}
# A key as a user presses it (an event of the server's own, which counts as input).
press() { xdotool windowactivate --sync "$window" >/dev/null 2>&1; xdotool key "$@"; }
full_screen() { xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; }
normal() { ! full_screen; }
# In full screen until the last input is longer ago than twice the saver's timeout,
# the saver never on meanwhile.
held_off() {
    local now idle
    for _ in $(seq 400); do
        read -r now idle < <("$state_tool")
        [ "$now" = on ] && { echo "  the saver came on after $idle ms"; return 1; }
        [ "$idle" -ge 4000 ] && return 0
        sleep 0.05
    done
    echo "  the input idle time never reached 4 s"
    return 1
}

xset s 2 2
before=$(settings)
check "the saver works before" wait_for saver_on
check "the player starts" start
[ -n "$window" ] || { summary; exit 1; }

press f
check "full screen" wait_for full_screen
check "full screen holds the saver off" held_off
check "the saver settings stay as they were" [ "$(settings)" = "$before" ]
press f
check "full screen left" wait_for normal
check "after full screen the saver works again" wait_for saver_on

press f
wait_for full_screen
check "full screen again holds the saver off" held_off
# Closed by the window manager while still in full screen.
press alt+F4
wait "$pid"
pid=""
check "after quitting from full screen the saver works again" wait_for saver_on
check "the saver settings are still as they were" [ "$(settings)" = "$before" ]
summary
