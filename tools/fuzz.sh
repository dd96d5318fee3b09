#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
#   tools/fuzz.sh [SECONDS_EACH] [TARGET...]   (default 30 s, every target)
# The media targets start from small clips made here with ffmpeg (one per codec pair and
# layout) and the real sample beside the project when it is there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZIMO_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-30}
shift || true
all="fuzz_swf_loader fuzz_interpreter fuzz_amf0 fuzz_flv_head fuzz_media_file"
targets=${*:-$all}
"$root/tools/install-deps.sh"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja -DZIMO_FUZZ=ON -DZIMO_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" --target $targets

# Seeds for the media targets: whole files, and the onMetaData bodies for the AMF0 reader.
seeds=$build/seeds
if [ ! -e "$seeds/made" ]; then
    mkdir -p "$seeds/files" "$seeds/amf0"
    n=0
    for codecs in "flv1 libmp3lame" "libx264 aac" "flashsv adpcm_swf" "flv1 nellymoser" \
        "flv1 libspeex" "flv1 pcm_s16le"; do
        set -- $codecs
        rate=22050
        [ "$2" = libspeex ] && rate=16000
        for flags in "" "-flvflags add_keyframe_index" "-flvflags no_metadata"; do
            n=$((n + 1))
            # shellcheck disable=SC2086
            ffmpeg -v error -y -f lavfi -i testsrc=size=96x64:rate=10:d=1 \
                -f lavfi -i "sine=frequency=440:sample_rate=$rate:d=1" -ac 1 -g 5 \
                -pix_fmt yuv420p -c:v "$1" -c:a "$2" $flags "$seeds/files/clip$n.flv"
        done
    done
    ffmpeg -v error -y -f lavfi -i testsrc=size=96x64:rate=10:d=1 -f lavfi -i sine=d=1 -g 5 \
        -pix_fmt yuv420p -c:v libx264 -c:a aac "$seeds/files/clip.mp4"
    for samples in "${ZIMO_SAMPLES_DIR:-}" "$root/../shared/samples" /work/shared/samples; do
        [ -f "$samples/vp6a-1920x1080.flv" ] && cp "$samples/vp6a-1920x1080.flv" "$seeds/files/" && break
    done
    for clip in "$seeds"/files/*.flv; do
        # The first tag of an FFmpeg-written file is its onMetaData: 11 bytes of tag
        # header after the 13 of the file header, then the body.
        size=$(od -An -tu1 -j14 -N3 "$clip" | awk '{ print $1 * 65536 + $2 * 256 + $3 }')
        [ "$(od -An -tu1 -j13 -N1 "$clip" | tr -d ' ')" = 18 ] &&
            dd if="$clip" of="$seeds/amf0/$(basename "$clip")" iflag=skip_bytes,count_bytes \
                skip=24 count="$size" status=none
    done
    touch "$seeds/made"
fi

for target in $targets; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    extra=()
    case $target in
    fuzz_amf0) extra=("$seeds/amf0") ;;
    fuzz_flv_head) extra=(-max_len=65536 "$seeds/files") ;;
    fuzz_media_file) extra=(-max_len=4096 -timeout=10 "$seeds/files") ;;
    esac
    # The inputs of earlier findings, kept in the tests.
    kept=$root/tests/media/fuzz_inputs/${target#fuzz_}
    [ -d "$kept" ] && extra+=("$kept")
    echo "== $target, ${seconds}s"
    # libFuzzer's exit status says whether it found a failing input, which it writes
    # beside its log.
    mkdir -p "$build/findings"
    log=$build/findings/$target.log
    status=0
    "$build/bin/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target-" "$corpus" "${extra[@]}" >"$log" 2>&1 ||
        status=$?
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY)' "$log" ||
        true
    if [ "$status" -ne 0 ]; then
        grep -E -A30 '==[0-9]+== ?ERROR|^terminate called' "$log" | head -60 || true
        echo "$target found a failing input (exit $status): $(grep -o "$build/findings/$target-[^ ]*" "$log" | tail -1)"
        exit 1
    fi
done
