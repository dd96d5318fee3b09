#!/usr/bin/env bash
# Installs what is missing, builds the player and runs it on FILE, or on the demo clip
# when no file is given. Without a display it runs on a private X server, saves a
# screenshot after a few seconds (build/screenshot.png) and closes the player.
#   tools/run.sh [FILE.flv]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZIMO_BUILD_DIR:-$root/build}
"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target zimo zimoplayer zimo_demo_clip
file=${1:-$build/demo/demo.flv}
[ "$file" = "${file#/}" ] && [ -e "$file" ] && file="$(pwd)/$file"

if [ -n "${DISPLAY:-}" ]; then
    exec "$build/bin/zimo" "$file"
fi

shot="$build/screenshot.png"
export ZIMO_PROGRAM="$build/bin/zimo" ZIMO_FILE="$file" ZIMO_SHOT="$shot"
"$root/tests/support/with-x.sh" bash -c '
    "$ZIMO_PROGRAM" "$ZIMO_FILE" &
    pid=$!
    for _ in $(seq 100); do
        window=$(xdotool search --all --pid "$pid" --name "^FLV Player zimo$" 2>/dev/null | head -n 1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    sleep "${ZIMO_SHOT_DELAY:-4}"
    # Wake the control panel with a pointer moving over its strip at the bottom of the
    # picture, then take the picture.
    if [ -n "$window" ]; then
        info=$(xwininfo -id "$window")
        x=$(echo "$info" | awk "/Absolute upper-left X/ {print \$4}")
        y=$(echo "$info" | awk "/Absolute upper-left Y/ {print \$4}")
        h=$(echo "$info" | awk "/Height:/ {print \$2}")
        for d in 0 3 6 9; do
            xdotool mousemove $((x + 100 + d)) $((y + h - 12 - d / 3))
            sleep 0.1
        done
        sleep 0.3
    fi
    import -window root "$ZIMO_SHOT"
    [ -n "$window" ] && xdotool windowactivate --sync "$window" key alt+F4
    wait "$pid"
'
echo "No display: ran the player on a private X server; screenshot saved to $shot"
