#!/usr/bin/env bash
# Makes a folder of receiver recordings to try Dranfel on, without the receiver's disk:
#   scripts/make_demo_recordings.sh DIR
# DIR stands for the root of the receiver's USB disk: DIR/REC holds a few recordings (a short
# transport stream made by ffmpeg, cut into parts and wrapped as the receiver writes them: a
# 134-byte header before each part's stream, an 8008-byte information file naming the part count
# and the total size, and the receiver path C:\REC\... in both), an .mp3 and a .mem file.
# DIR/PC is an empty folder to copy them to.
set -euo pipefail
dir=${1:?usage: make_demo_recordings.sh DIR}
mkdir -p "$dir/REC" "$dir/PC"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/dranfel-demo-ts.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

be16() { printf "\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 & 255)))"; }
be64() {
    local i
    for i in 56 48 40 32 24 16 8 0; do printf "\\x$(printf %02x $(($1 >> i & 255)))"; done
}
# A 124-byte receiver path field: the path's bytes, then zeros.
path_field() {
    printf '%s' "$1"
    head -c $((124 - ${#1})) /dev/zero
}

# recording TITLE DATE SECONDS PARTS [SUFFIX]
recording() {
    local title=$1 date=$2 seconds=$3 parts=$4 suffix=${5:-}
    local base="${title}_#001_${date}${suffix:+_$suffix}"
    local rpath="C:\\REC\\${base}.AVF"
    ffmpeg -v error -y -f lavfi -i "testsrc2=size=720x576:rate=25" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000" -t "$seconds" \
        -c:v mpeg2video -b:v 4M -c:a mp2 -b:a 192k -f mpegts "$tmp/$title.ts"
    local size packets per total=0 p
    size=$(stat -c %s "$tmp/$title.ts")
    packets=$((size / 188))
    per=$(((packets + parts - 1) / parts))
    for p in $(seq 1 "$parts"); do
        local name
        name=$(printf '%s_#%03d_%s%s.AVR' "$title" "$p" "$date" "${suffix:+_$suffix}")
        {
            head -c 8 /dev/zero
            be16 134
            path_field "$rpath"
            dd if="$tmp/$title.ts" bs=188 skip=$(((p - 1) * per)) count="$per" status=none
        } >"$dir/REC/$name"
        total=$((total + $(stat -c %s "$dir/REC/$name")))
    done
    local info="$dir/REC/$base.AVF"
    head -c 8008 /dev/zero >"$info"
    path_field "$rpath" | dd of="$info" bs=1 seek=806 conv=notrunc status=none
    be16 "$parts" | dd of="$info" bs=1 seek=1740 conv=notrunc status=none
    be64 "$total" | dd of="$info" bs=1 seek=1744 conv=notrunc status=none
}

recording "Evening News" 200603012015 12 3
recording "Cup Final" 200605202000 20 4
recording "Wildlife" 200604111230 8 2
recording "Film Night" 200604152130 10 2 002
ffmpeg -v error -y -f lavfi -i "sine=frequency=660:sample_rate=44100" -t 5 -c:a libmp3lame -b:a 128k \
    "$dir/REC/theme.mp3" 2>/dev/null || head -c 80000 /dev/urandom >"$dir/REC/theme.mp3"
head -c 262144 /dev/urandom >"$dir/REC/receiver.mem"
echo "$dir/REC"
