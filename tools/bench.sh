#!/usr/bin/env bash
# Measures the player: playback of two clips beside ffplay and the decode-only floor (with
# the lag of the picture on the screen behind the position, ours and ffplay's), the
# 720p clip full screen and in the default window beside mpv and ffplay, the wake-ups of
# the player's threads playing, paused and idle, the movie's frame tick at two stage
# sizes, and the idle program. Builds what it needs in
# Release (build-bench), makes the clips with ffmpeg, runs on a private X server when there
# is no display, prints one table and writes it to build-bench/bench-report.txt.
#   tools/bench.sh
# ZIMO_BENCH_SECONDS sets the clips' length (30).
set -euo pipefail
# The figures are read and written with a decimal point whatever the user's locale: awk
# and printf follow LC_NUMERIC, and under a decimal-comma one they misread each other.
export LC_ALL=C.UTF-8
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench

if [ -z "${ZIMO_BENCH_INNER:-}" ]; then
    # ffplay comes with ffmpeg; mpv to compare with; a sound server to play through, and
    # its client tool.
    "$root/tools/install-deps.sh" mpv pulseaudio pulseaudio-utils xdotool
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j2 --target zimo zimoplayer zimo-bench
    export ZIMO_BENCH_INNER=1
    if [ -z "${DISPLAY:-}" ]; then
        exec "$root/tests/support/with-x.sh" --screen 1920x1080 "$0" "$@"
    fi
fi

seconds=${ZIMO_BENCH_SECONDS:-30}
bin=$build/bin
clips=$build/bench-clips
report=$build/bench-report.txt
scratch=$(mktemp -d)
pulse_pid=""
cleanup() {
    [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
# Nothing here touches the user's own settings.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data \
    XDG_CACHE_HOME=$scratch/cache
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"

# The X server's CPU counts too when it is ours: with-x.sh is our parent.
xserver=""
[ "${ZIMO_BENCH_INNER:-}" = 1 ] && xserver=$(pgrep -P "$PPID" -x Xvfb || true)
hz=$(getconf CLK_TCK)

# CPU seconds a running process has used (user + system).
cpu_of() {
    [ -n "$1" ] && [ -r "/proc/$1/stat" ] || { echo 0; return; }
    awk -v hz="$hz" '{ sub(/.*\) /, ""); printf "%.3f\n", ($12 + $13) / hz }' "/proc/$1/stat"
}
# The value of NAME in a line of name=value figures.
field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2" | head -n 1; }
calc() { awk "BEGIN { printf \"$1\n\", $2 }"; }

# --- The clips --------------------------------------------------------------------------
mkdir -p "$clips"
h263=$clips/h263-mp3-640x360.flv
h264=$clips/h264-aac-1280x720.flv
# Each picture carries its number at the top left, as bench/lag_probe.h reads it: bit k
# is band k of twelve bands 20 x 16 pixels, white for 1 and black for 0.
strip="drawbox=x=0:y=0:w=240:h=16:color=black:t=fill"
for bit in $(seq 0 11); do
    strip+=",drawbox=x=$((bit * 20)):y=0:w=20:h=16:color=white:t=fill:enable='mod(floor(n/$((1 << bit))),2)'"
done
make_clip() { # OUT SIZE VIDEO-OPTIONS... -- AUDIO-OPTIONS...
    local out=$1 size=$2 stamp="$seconds s, numbered"
    shift 2
    [ -s "$out" ] && [ "$(cat "$out.seconds" 2>/dev/null)" = "$stamp" ] && return
    ffmpeg -v error -y -f lavfi -i "testsrc2=size=$size:rate=30" \
        -f lavfi -i "sine=frequency=440:sample_rate=44100" -t "$seconds" -vf "$strip" "$@" "$out"
    echo "$stamp" >"$out.seconds"
}
make_clip "$h263" 640x360 -c:v flv1 -q:v 4 -g 60 -c:a libmp3lame -b:a 128k -ac 2
make_clip "$h264" 1280x720 -c:v libx264 -preset medium -b:v 2500k -g 60 -pix_fmt yuv420p \
    -c:a aac -b:a 128k -ac 2

# --- Playback ---------------------------------------------------------------------------
# Runs a command under the CPU meter; prints its figures plus the X server's CPU meanwhile.
measure() {
    local x0 out x1
    x0=$(cpu_of "$xserver")
    out=$("$bin/zimo-bench" cpu "$@" 2>"$scratch/stderr" | tr '\n' ' ')
    x1=$(cpu_of "$xserver")
    echo "$out x_s=$(calc %.3f "$x1 - $x0")"
}

rows=()
goal_cpu=met goal_drop=met goal_sync=met goal_lag=met
play_clip() { # LABEL CLIP SIZE SOUND
    local label=$1 clip=$2 size=$3 sound=$4 ours
    ours=$(measure "$bin/zimo-bench" play "$clip" "$size" --lag)
    local our_cpu best_cpu=1000
    our_cpu=$(calc %.3f "($(field user_s "$ours") + $(field sys_s "$ours")) / $seconds")
    local clock="system clock"
    [ "$(field sound "$ours")" = yes ] && [ "$(field sound_samples "$ours")" != 0 ] &&
        clock="sound heard"
    rows+=("$(printf '%-18s %-10s %-9s %6s %6s %5s/%-5s %4s %6s %6s %6s %6s  %s' "$label" \
        "$sound" zimo "$our_cpu" "$(calc %.3f "$(field x_s "$ours") / $seconds")" \
        "$(field shown "$ours")" "$(field decoded "$ours")" "$(field dropped "$ours")" \
        "$(field offset_mean_ms "$ours")" "$(field offset_maxabs_ms "$ours")" \
        "$(field lag_mean_ms "$ours")" "$(field lag_maxabs_ms "$ours")" "$clock")")
    [ "$(field exit "$ours")" = 0 ] || rows+=("  (our player failed: $(head -c 200 "$scratch/stderr"))")
    # ffplay draws through OpenGL by default (software GL on Xvfb); SDL's own software
    # renderer is cheaper there. Ours is held against the cheaper of the two.
    # ffplay's lag comes from a run of its own, with the software renderer (see
    # bench/peer_lag_command.cpp for how it is read).
    local renderer theirs their_cpu their_lag
    their_lag=$(SDL_RENDER_DRIVER=software "$bin/zimo-bench" peer-lag "$clip")
    for renderer in "" software; do
        theirs=$(SDL_RENDER_DRIVER=$renderer measure ffplay -autoexit -loglevel error "$clip")
        their_cpu=$(calc %.3f "($(field user_s "$theirs") + $(field sys_s "$theirs")) / $seconds")
        local lag_mean="" lag_max=""
        if [ -n "$renderer" ]; then
            lag_mean=$(field lag_mean_ms "$their_lag") lag_max=$(field lag_maxabs_ms "$their_lag")
        fi
        rows+=("$(printf '%-18s %-10s %-9s %6s %6s %11s %4s %6s %6s %6s %6s' "" "" \
            "ffplay${renderer:+ sw}" "$their_cpu" "$(calc %.3f "$(field x_s "$theirs") / $seconds")" \
            "" "" "" "" "$lag_mean" "$lag_max")")
        awk "BEGIN { exit !($their_cpu < $best_cpu) }" && best_cpu=$their_cpu
    done
    awk "BEGIN { exit !($our_cpu > $best_cpu) }" && goal_cpu="not met"
    [ "$(field dropped "$ours")" = 0 ] || goal_drop="not met"
    awk "BEGIN { exit !($(field offset_maxabs_ms "$ours") > 40) }" && goal_sync="not met"
    local our_lag
    our_lag=$(field lag_mean_ms "$ours")
    if [ -z "$our_lag" ] || awk "BEGIN { exit !($our_lag > 33.3 || $our_lag < -33.3) }"; then
        goal_lag="not met"
    fi
    return 0
}
# The decode-only floor of a clip: the median of five runs, since one run can be a
# quarter off the next on this kind of machine and the goals are set against it.
floor_of() { # CLIP
    local i out
    for i in 1 2 3 4 5; do
        out=$("$bin/zimo-bench" cpu ffmpeg -v error -threads 0 -i "$1" -f null - | tr '\n' ' ')
        calc %.3f "($(field user_s "$out") + $(field sys_s "$out")) / $seconds"
    done | sort -n | sed -n 3p
}
floor_row() { # LABEL CLIP
    rows+=("$(printf '%-18s %-10s %-9s %6s' "$1" "" "ffmpeg" "$(floor_of "$2")")")
}

echo "Playing the clips (about $((seconds * 16 / 60 + 1)) minutes)..." >&2
# Without a sound device (no sound server reachable) playback runs on the system clock.
(
    export PULSE_SERVER=unix:/nonexistent
    play_clip "640x360 H.263/MP3" "$h263" 640x360 "no device"
    play_clip "1280x720 H.264/AAC" "$h264" 1280x720 "no device"
    printf '%s\n' "${rows[@]}" >"$scratch/rows-silent"
    echo "$goal_cpu|$goal_drop|$goal_sync|$goal_lag" >"$scratch/goals-silent"
)
# With a sound server whose sink goes nowhere, the sound heard leads the picture.
rows=()
if command -v pulseaudio >/dev/null; then
    export XDG_RUNTIME_DIR=$scratch/runtime PULSE_RUNTIME_PATH=$scratch/runtime/pulse
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    pulseaudio --daemonize=no --exit-idle-time=-1 -n -L module-null-sink \
        -L module-native-protocol-unix >"$scratch/pulse.log" 2>&1 &
    pulse_pid=$!
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    if pactl info >/dev/null 2>&1; then
        play_clip "640x360 H.263/MP3" "$h263" 640x360 "null sink"
        play_clip "1280x720 H.264/AAC" "$h264" 1280x720 "null sink"
    else
        rows+=("(the sound server did not start: $(head -c 200 "$scratch/pulse.log"))")
    fi
fi
IFS='|' read -r g_cpu g_drop g_sync g_lag <"$scratch/goals-silent"
[ "$goal_lag" = met ] || g_lag="not met"
[ "$goal_cpu" = met ] || g_cpu="not met"
[ "$goal_drop" = met ] || g_drop="not met"
[ "$goal_sync" = met ] || g_sync="not met"
mapfile -t silent_rows <"$scratch/rows-silent"
rows=("${silent_rows[@]}" "${rows[@]}")
floor_row "640x360 H.263/MP3" "$h263"
floor_row "1280x720 H.264/AAC" "$h264"

# --- The picture's cost: full screen and the default window ---------------------------
# The 720p clip without a sound device (mpv without sound output), CPU of the player plus
# the X server, against the decode-only floor.
echo "Playing the 720p clip full screen and in the default window..." >&2
# The pointer rests in the screen's bottom right corner, away from the windows, so that no
# pointer event reaches a player while it is measured.
if read -r screen_w screen_h < <(xdotool getdisplaygeometry 2>/dev/null); then
    xdotool mousemove --sync "$((screen_w - 1))" "$((screen_h - 1))" || true
fi
goal_full=met goal_window=met goal_screen_drop=met
floor_cpu=$(floor_of "$h264")
cpu_and_x() { # FIGURES: prints "cpu x total"
    local cpu x
    cpu=$(calc %.3f "($(field user_s "$1") + $(field sys_s "$1")) / $seconds")
    x=$(calc %.3f "$(field x_s "$1") / $seconds")
    echo "$cpu $x $(calc %.3f "$cpu + $x")"
}
screen_row() { # VIEW PROGRAM FIGURES [NOTE]: adds the row to the view's rows, prints the total
    local c x t
    read -r c x t <<<"$(cpu_and_x "$3")"
    printf '%-14s %-10s %6s %6s %6s %6s  %s\n' "$1" "$2" "$c" "$x" "$t" \
        "$(calc %.2f "$t / $floor_cpu")" "${4:-}" >>"$scratch/screen-$1"
    echo "$t"
}
# The total (CPU + X) of a run of the player or a peer, and of a run of the bound.
run_total() { cpu_and_x "$1" | cut -d' ' -f3; }
bound_total() {
    calc %.3f "($(field convert_s "$1") + $(field present_s "$1") + $(field x_s "$1")) / $seconds"
}
# The figures of the run whose total is the median of three: one run here can be a fifth
# off the next, and these rows decide goals. Runs that failed count as the dearest.
median_of_three() { # TOTAL-FUNCTION COMMAND...
    local total=$1 i out
    shift
    for i in 1 2 3; do
        out=$(measure "$@")
        if [ "$(field exit "$out")" = 0 ]; then echo "$("$total" "$out") $out"; else echo "999 $out"; fi
    done | sort -n | sed -n 2p | cut -d' ' -f2-
}
for view in full 429x322; do
    (
        export PULSE_SERVER=unix:/nonexistent
        ours=$(median_of_three run_total "$bin/zimo-bench" play "$h264" "$view")
        note="pictures $(field shown "$ours")/$(field decoded "$ours"), dropped $(field dropped "$ours"), |A/V| max $(field offset_maxabs_ms "$ours") ms, view $(field view "$ours")"
        [ "$(field exit "$ours")" = 0 ] || note="failed: $(head -c 200 "$scratch/stderr")"
        our_t=$(screen_row "$view" zimo "$ours" "$note")
        # The least any software path spends here: our decoder and converter over the clip
        # plus presenting the picture's rectangle with nothing drawn, at the player's size.
        theirs=$(median_of_three bound_total "$bin/zimo-bench" bound "$h264" \
            "$(field picture "$ours")" "$view")
        convert_s=$(field convert_s "$theirs")
        bound_cpu=$(calc %.3f "$convert_s + $(field present_s "$theirs")")
        bound_t=$(screen_row "$view" "sw bound" "user_s=$bound_cpu sys_s=0 x_s=$(field x_s "$theirs")" \
            "decoding and converting to $(field picture "$ours"): $(calc %.3f "$convert_s / $seconds")")
        if [ "$view" = full ]; then
            mpv_args=(--fs) ffplay_args=(-fs)
        else
            mpv_args=(--geometry="$view") ffplay_args=(-x "${view%x*}" -y "${view#*x}")
        fi
        theirs=$(median_of_three run_total mpv --no-config --really-quiet --vo=x11 --ao=null \
            "${mpv_args[@]}" "$h264")
        mpv_t=$(screen_row "$view" mpv "$theirs")
        theirs=$(SDL_RENDER_DRIVER=software measure ffplay -autoexit -loglevel error \
            "${ffplay_args[@]}" "$h264")
        screen_row "$view" "ffplay sw" "$theirs" >/dev/null
        goals=""
        if [ "$view" = full ]; then
            goal_t=$(calc %.3f "1.8 * $floor_cpu < 0.5 * $mpv_t ? 1.8 * $floor_cpu : 0.5 * $mpv_t")
        else
            goal_t=$(calc %.3f "1.3 * $floor_cpu")
        fi
        awk "BEGIN { exit !($our_t > $goal_t) }" && goals="$view"
        # A goal below the bound cannot be met by drawing less.
        awk "BEGIN { exit !($bound_t > $goal_t) }" && goals="$goals bound"
        echo "$goal_t" >"$scratch/screen-goal-$view"
        [ "$(field dropped "$ours")" = 0 ] || goals="$goals drop"
        awk "BEGIN { exit !($(field offset_maxabs_ms "$ours") > 40) }" && goals="$goals sync"
        echo "$goals" >"$scratch/screen-goals-$view"
    )
done
screen_rows=()
for view in full 429x322; do
    mapfile -t -O "${#screen_rows[@]}" screen_rows <"$scratch/screen-$view"
    read -r missed <"$scratch/screen-goals-$view" || missed=""
    read -r goal_t <"$scratch/screen-goal-$view"
    verdict="not met (total $goal_t at most"
    case " $missed " in *" bound "*) verdict="$verdict, below the software bound" ;; esac
    if [[ " $missed " = *" $view "* ]]; then
        if [ "$view" = full ]; then goal_full="$verdict)"; else goal_window="$verdict)"; fi
    fi
    case " $missed " in *" drop "* | *" sync "*) goal_screen_drop="not met" ;; esac
done

# --- Wake-ups ---------------------------------------------------------------------------
# The player's threads in the default window: no file, the clip playing, then paused;
# without a sound device and through the null sink.
echo "Counting wake-ups..." >&2
wake_rows=()
goal_paused=met
wake_row() { # LABEL FIGURES
    local phase
    for phase in idle playing paused; do
        wake_rows+=("$(printf '%-10s %-8s %8s %8s  %s' "$1" "$phase" "$(field "${phase}_wakeups" "$2")" \
            "$(field "${phase}_forced" "$2")" "$(field "${phase}_threads" "$2")")")
    done
    awk "BEGIN { exit !($(field paused_wakeups "$2") > 35) }" && goal_paused="not met"
    return 0
}
wake_row "no device" "$(PULSE_SERVER=unix:/nonexistent "$bin/zimo-bench" wake "$h264" 429x322)"
if [ -n "$pulse_pid" ] && pactl info >/dev/null 2>&1; then
    wake_row "null sink" "$("$bin/zimo-bench" wake "$h264" 429x322)"
fi

# --- Frame tick -------------------------------------------------------------------------
echo "Timing the frame tick..." >&2
tick_rows=()
goal_tick=met
for size in 480x360 1920x1080; do
    out=$("$bin/zimo-bench" tick "$h264" "$size" 300)
    tick_rows+=("$(printf '%-10s %8s %8s %8s %8s %8s  %s' "$size" "$(field script_mean_ms "$out")" \
        "$(field render_mean_ms "$out")" "$(field mean_ms "$out")" "$(field p95_ms "$out")" \
        "$(field max_ms "$out")" "panel _alpha $(field panel_alpha "$out")")")
    awk "BEGIN { exit !($(field p95_ms "$out") > 16.7) }" && goal_tick="not met"
done

# --- Idle program -----------------------------------------------------------------------
echo "Measuring the idle program..." >&2
"$bin/zimo" >/dev/null 2>&1 &
idle_pid=$!
sleep 3 # started, movie loaded, nothing more to do
c0=$(cpu_of "$idle_pid")
x0=$(cpu_of "$xserver")
sleep 10
c1=$(cpu_of "$idle_pid")
x1=$(cpu_of "$xserver")
kill "$idle_pid" 2>/dev/null
wait "$idle_pid" 2>/dev/null || true
idle=$(calc %.2f "($c1 - $c0) * 10")
idle_x=$(calc %.2f "($x1 - $x0) * 10")
goal_idle=met
awk "BEGIN { exit !($idle >= 2) }" && goal_idle="not met"

# --- Report -----------------------------------------------------------------------------
{
    echo "zimo bench, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(uname -m)," \
        "display ${DISPLAY}${xserver:+ (Xvfb)}, load average at the end $(cut -d' ' -f1-3 /proc/loadavg)"
    echo
    echo "Playback of ${seconds} s clips, 30 pictures a second, window at the clip's size."
    echo "CPU: user+sys seconds per second of content, whole process; X: the X server meanwhile."
    echo "Pictures: handed to the stage / decoded; A/V: a picture's time minus the clock leading"
    echo "playback at the moment the picture goes to the stage (mean, max |x|), in ms; the first"
    echo "picture, shown at once as a still before playback starts, is not counted."
    echo "Sound: 'no device': no sound server reachable; the engine plays silently on the system"
    echo "clock, and the offset is the picture against that clock. 'null sink': a PulseAudio null"
    echo "sink; the offset is the picture against the sound the device reports heard."
    echo "Lag: the player's position minus the time of the picture on the screen at that moment"
    echo "(mean, max |x|), in ms, from grabs of the screen every 97 ms reading the picture number"
    echo "drawn into the clip; for ffplay its clock as it prints it with -stats (it has no"
    echo "position to ask for), carried to the moment of each grab. A picture shown from its time"
    echo "to the next one's has a lag of 0 to 33 ms, 17 on average."
    printf '%-18s %-10s %-9s %6s %6s %11s %4s %6s %6s %6s %6s  %s\n' clip sound program CPU X \
        pictures drop "A/V" "|A/V|" lag "|lag|" "clock"
    printf '%s\n' "${rows[@]}"
    echo "(ffplay: SDL's OpenGL renderer, the default; ffplay sw: SDL's software renderer;"
    echo " ffmpeg: decode only, -f null, the floor, median of five runs)"
    echo
    echo "The 720p H.264/AAC clip full screen (${DISPLAY:+Xvfb }1920 x 1080, openbox) and in the"
    echo "default window (429 x 322), no sound device (mpv: --vo=x11 --ao=null; ffplay: SDL's"
    echo "software renderer). CPU and X as above; total = both; floor: ffmpeg -f null, $floor_cpu."
    echo "sw bound: the least a software path spends on the view, our decoder and converter on"
    echo "the clip plus presenting the picture's rectangle 30 times a second with nothing drawn."
    echo "zimo, sw bound and mpv: the run with the median total of three. The pointer rests in"
    echo "the screen's bottom right corner."
    printf '%-14s %-10s %6s %6s %6s %6s\n' view program CPU X total "x floor"
    printf '%s\n' "${screen_rows[@]}"
    echo
    echo "Wake-ups per second of the player's threads (voluntary context switches; forced: switches"
    echo "by the machine's other work), default window, 5 s each: no file, 720p playing, paused"
    printf '%-10s %-8s %8s %8s  %s\n' sound phase wake-ups forced "by thread"
    printf '%s\n' "${wake_rows[@]}"
    echo
    echo "Frame tick: script + render of the stage into an image, panel awake, 720p playing (ms)"
    printf '%-10s %8s %8s %8s %8s %8s\n' stage script render mean p95 max
    printf '%s\n' "${tick_rows[@]}"
    echo
    echo "Idle program, no file, panel hidden, 10 s: ${idle} % of one core (X server ${idle_x} %)"
    echo
    echo "Goals"
    echo "  CPU at or below ffplay's ............ $g_cpu"
    echo "  no dropped pictures ................. $g_drop"
    echo "  A/V offset within 40 ms ............. $g_sync"
    echo "  mean lag under a picture (33 ms) .... $g_lag"
    echo "  tick well inside 33 ms (p95 < 17) ... $goal_tick"
    echo "  idle under 2 % of one core .......... $goal_idle"
    echo "  full screen <= 1.8 x floor, <= 0.5 x mpv $goal_full"
    echo "  default window <= 1.3 x floor ....... $goal_window"
    echo "  those with no drop, |A/V| <= 40 ms .. $goal_screen_drop"
    echo "  paused <= 35 wake-ups a second ...... $goal_paused"
} | tee "$report"
