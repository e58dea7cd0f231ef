#!/usr/bin/env bash
# Converts a transport stream of about 1 GB with the converter and remuxes the same stream with
# ffmpeg into a program stream, in the same run; prints both times, the ratio and the peak memory.
#   bench/converter/run_bench.sh BUILD_DIR [SIZE_MB]
# The big files live in a scratch folder under BUILD_DIR and are deleted at the end.
set -euo pipefail
build=${1:?build folder}
size_mb=${2:-1000}
bench="$build/bench/converter/converter_bench"
[ -x "$bench" ] || { echo "build converter_bench first (ninja -C $build converter_bench)"; exit 2; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed"; exit 2; }

work="$build/converter-bench"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# A 20-second broadcast-like clip (720x576 MPEG-2 at 8 Mbit/s, MP2 audio), repeated to the size.
ffmpeg -v error -y -f lavfi -i testsrc2=size=720x576:rate=25 -f lavfi -i sine=frequency=440:sample_rate=48000 \
    -t 20 -c:v mpeg2video -b:v 8M -maxrate 8M -bufsize 1835k -c:a mp2 -b:a 192k -f mpegts "$work/clip.ts"
clip=$(stat -c %s "$work/clip.ts")
loops=$(( size_mb * 1000000 / clip ))
ffmpeg -v error -y -stream_loop "$loops" -i "$work/clip.ts" -map 0 -c copy -f mpegts "$work/big.ts"
echo "input: $(stat -c %s "$work/big.ts") bytes"

# Warm the page cache the same way for both, and let the writes of the input reach the disk
# first, so that neither program pays for them.
cat "$work/big.ts" > /dev/null
sync

measure() { # label, command...
    local label=$1; shift
    /usr/bin/time -v "$@" 2> "$work/$label.time" > "$work/$label.out"
    local secs mem cpu
    secs=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; print s}' "$work/$label.time")
    mem=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/$label.time")
    # The processor time as well: on a machine others share, the wall clock also counts waiting.
    cpu=$(awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$work/$label.time")
    echo "$label: ${secs} s (processor ${cpu} s), peak RSS ${mem} KB"
    eval "${label}_secs=$secs"
}

# Each program writes its output and deletes it, with the disk flushed in between. On this kind
# of machine the first pages of a large new file now and then cost the kernel several times more
# than usual (fresh memory the host has to back), whichever program makes them. So one untimed run
# comes first, the order alternates from round to round, and each program's fastest round counts.
# The same rounds are run with both programs writing to /dev/null, where only their own work counts.
best() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b ? a : b) }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
run_converter() { # output
    measure converter "$bench" "$work/big.ts" "$1"
    [ "$1" = /dev/null ] || { rm -f "$1"; sync; }
}
run_ffmpeg() { # output
    measure ffmpeg ffmpeg -v error -y -i "$work/big.ts" -map 0 -c copy -f vob "$1"
    [ "$1" = /dev/null ] || { rm -f "$1"; sync; }
}
compare() { # label, converter output, ffmpeg output
    local label=$1 conv_out=$2 ff_out=$3
    "$bench" "$work/big.ts" "$conv_out" > /dev/null
    [ "$conv_out" = /dev/null ] || { rm -f "$conv_out"; sync; }
    local converter_best=1e9 ffmpeg_best=1e9 converter_all=() ffmpeg_all=()
    for round in 1 2 3 4 5; do
        if (( round % 2 )); then run_converter "$conv_out"; run_ffmpeg "$ff_out"
        else run_ffmpeg "$ff_out"; run_converter "$conv_out"; fi
        converter_best=$(best "$converter_best" "$converter_secs")
        ffmpeg_best=$(best "$ffmpeg_best" "$ffmpeg_secs")
        converter_all+=("$converter_secs")
        ffmpeg_all+=("$ffmpeg_secs")
    done
    local cm fm
    cm=$(median "${converter_all[@]}")
    fm=$(median "${ffmpeg_all[@]}")
    echo "$label median: converter ${cm} s, ffmpeg ${fm} s, ratio" \
        "$(awk -v a="$cm" -v b="$fm" 'BEGIN { printf "%.1f", b / a }')"
    echo "$label best: converter ${converter_best} s, ffmpeg ${ffmpeg_best} s"
    awk -v l="$label" -v a="$converter_best" -v b="$ffmpeg_best" \
        'BEGIN { printf "%s: converter is %.1f times as fast as the ffmpeg remux\n", l, b / a }'
}
compare "to /dev/null" /dev/null /dev/null
compare "to a file" "$work/out.mpg" "$work/ffmpeg.vob"
