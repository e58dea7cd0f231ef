#!/usr/bin/env bash
# Runs dranfel-cli's storage commands on real folders: listing, copy, move, delete, new folder, the
# refusals, and Ctrl-C during a copy (exit 130 with nothing left behind).
set -uo pipefail
cli=$1
source "$(dirname "$0")/../../../common/testing/shell_checks.sh" kd-dranfel-cli

# A recording of two parts whose information file counts 2 parts and 65536 bytes in all.
make_recording() { # DIR TITLE
    local dir=$1 title=$2
    head -c 8008 /dev/zero >"$dir/${title}_#001_200603012015.AVF"
    printf '\x00\x02' | dd of="$dir/${title}_#001_200603012015.AVF" bs=1 seek=1740 conv=notrunc status=none
    printf '\x00\x00\x00\x00\x00\x01\x00\x00' |
        dd of="$dir/${title}_#001_200603012015.AVF" bs=1 seek=1744 conv=notrunc status=none
    head -c 40000 /dev/urandom >"$dir/${title}_#001_200603012015.AVR"
    head -c 25536 /dev/urandom >"$dir/${title}_#002_200603012015.AVR"
}

src=$work/src dst=$work/dst
mkdir -p "$src" "$dst"
make_recording "$src" News
head -c 3000 /dev/urandom >"$src/tune.mp3"
echo hello >"$src/notes.txt"

listing=$("$cli" ls "$src" | sort)
expected=$(printf 'News\tNews_#001_200603012015.AVR\t64\t2006-03-01 PM  8:15:00\n')
check "ls shows one row for the recording" grep -qxF "$expected" <<<"$listing"
check "ls shows the mp3 file" grep -q $'^tune.mp3\ttune.mp3\t2\t' <<<"$listing"
check "ls shows two rows in all" test "$(wc -l <<<"$listing")" -eq 2
# Names with a tab, a line feed or a backslash keep to one line of four fields.
odd=$work/odd
mkdir -p "$odd"
head -c 10 /dev/zero >"$odd/$(printf 'a\tb.mp3')"
head -c 10 /dev/zero >"$odd/$(printf 'c\nd.mp3')"
head -c 10 /dev/zero >"$odd/e\\f.mp3"
odd_listing=$("$cli" ls "$odd" | sort)
check "ls writes three lines for three odd names" test "$(wc -l <<<"$odd_listing")" -eq 3
check "ls gives every line four fields" test "$(awk -F'\t' 'NF != 4' <<<"$odd_listing" | wc -l)" -eq 0
check "ls escapes a tab" grep -qF 'a\tb.mp3	a\tb.mp3	' <<<"$odd_listing"
check "ls escapes a line feed" grep -qF 'c\nd.mp3	c\nd.mp3	' <<<"$odd_listing"
check "ls escapes a backslash" grep -qF 'e\\f.mp3	e\\f.mp3	' <<<"$odd_listing"
check "ls of a missing folder fails" bash -c '! "$0" ls "$1/none" 2>/dev/null' "$cli" "$work"

check "cp succeeds" "$cli" cp "$src" "$dst" News_#001_200603012015.AVR tune.mp3
check "cp copied four files" test "$(ls "$dst" | wc -l)" -eq 4
check "cp wrote the receiver path into part 2" \
    bash -c 'dd if="$0" bs=1 skip=10 count=3 status=none | grep -qF "C:\\"' "$dst/News_#002_200603012015.AVR"
check "cp kept the payload" cmp -s <(tail -c +135 "$src/News_#001_200603012015.AVR") \
    <(tail -c +135 "$dst/News_#001_200603012015.AVR")
check "cp keeps the sources" test -f "$src/News_#002_200603012015.AVR"

out=$("$cli" cp "$src" "$src/" tune.mp3 2>&1)
check "cp to the same folder exits 1" test $? -eq 1
check "cp to the same folder says so" grep -qF "Source Folder and Destination Folder is same" <<<"$out"
out=$("$cli" cp "$src" "$dst" Gone_#001_200603012015.AVR 2>&1)
check "cp of a missing recording exits 1" test $? -eq 1
check "cp of a missing recording says which file" grep -qF "could not open the information file $src/Gone" <<<"$out"
out=$("$cli" cp "$src" "$dst" notes.txt 2>&1)
check "cp of another kind of file is refused" test $? -eq 1

rm -f "$dst"/*
check "mv succeeds" "$cli" mv "$src" "$dst" tune.mp3 News_#001_200603012015.AVR
check "mv emptied the source" test -z "$(ls "$src" | grep -v notes.txt)"
check "mv filled the destination" test "$(ls "$dst" | wc -l)" -eq 4

check "rm succeeds" "$cli" rm "$dst" News_#001_200603012015.AVR
check "rm removed the recording" test "$(ls "$dst")" = tune.mp3
out=$("$cli" rm "$dst" tune.mp3 missing.mp3 2>&1)
check "rm of a missing name exits 1" test $? -eq 1
check "rm of a missing name deletes nothing" test -f "$dst/tune.mp3"

check "mkdir succeeds" "$cli" mkdir "$dst" REC
check "mkdir made the folder" test -d "$dst/REC"
out=$("$cli" mkdir "$dst" REC 2>&1)
check "mkdir of an existing folder exits 1" test $? -eq 1
check "mkdir says why" grep -qF "Could not make a folder, $dst/REC" <<<"$out"

# An option-like word where a name belongs is refused with the usage; after -- it is a name.
out=$("$cli" ls -x 2>&1)
check "ls -x exits 2" test $? -eq 2
check "ls -x shows the usage" grep -qF "Usage: dranfel-cli ls" <<<"$out"
mkdir -p "$work/-x"
check "ls -- -x lists the folder -x" bash -c 'cd "$1" && "$0" ls -- -x' "$cli" "$work"

out=$("$cli" mkdir "$dst" ../escaped 2>&1)
check "mkdir of a name that leaves the parent exits 1" test $? -eq 1
check "mkdir made nothing outside the parent" test ! -e "$work/escaped"
check "mkdir says why" grep -qF "cannot hold '/'" <<<"$out"

# An information file that counts no parts: the parts found are taken, and the user is told.
rm -rf "${src:?}"/* "${dst:?}"/*
make_recording "$src" Zero
printf '\x00\x00' | dd of="$src/Zero_#001_200603012015.AVF" bs=1 seek=1740 conv=notrunc status=none
out=$("$cli" cp "$src" "$dst" Zero_#001_200603012015.AVR 2>&1)
check "cp of a recording counting no parts succeeds" test $? -eq 0
check "cp took both parts" test -f "$dst/Zero_#002_200603012015.AVR"
check "cp says it took the parts it found" grep -qF "the 2 part files found from part 1 on were copied" <<<"$out"

# -9 at each rename that puts a copy over an older recording: the destination holds the old
# recording whole, or no information file at all, never one beside a mix of parts.
if command -v strace >/dev/null; then
    rm -rf "${src:?}"/* "${dst:?}"/*
    make_recording "$src" News
    make_recording "$dst" News
    mkdir "$work/old" && cp "$dst"/* "$work/old/"
    info=News_#001_200603012015.AVF
    for k in 1 2 3 4 5 6; do
        out=$(strace -f -qq -o /dev/null -e trace=rename,renameat,renameat2 \
            -e inject=rename,renameat,renameat2:error=EIO:signal=KILL:when=$k \
            "$cli" cp "$src" "$dst" News_#001_200603012015.AVR 2>&1)
        check "killed at rename $k" test $? -eq 137
        if [ -e "$dst/$info" ]; then
            check "killed at rename $k: the old recording is whole" diff -r -q -x '.kdtmp-*' "$work/old" "$dst"
        else
            check "killed at rename $k: no information file" true
        fi
        rm -rf "${dst:?}"/* && cp "$work/old"/* "$dst/" # what a killed run left is cleared by the next
    done
    check "a run after them replaces the recording" "$cli" cp "$src" "$dst" News_#001_200603012015.AVR
    check "and leaves no temporary file" test -z "$(ls -A "$dst" | grep kdtmp)"
    check "the new recording is there" cmp -s <(tail -c +135 "$src/News_#002_200603012015.AVR") \
        <(tail -c +135 "$dst/News_#002_200603012015.AVR")
fi

# Ctrl-C: the copy is stopped while it runs and nothing of it stays at the destination.
rm -rf "${src:?}"/* "${dst:?}"/*
truncate -s 768M "$src/big.mp3"
"$cli" cp "$src" "$dst" big.mp3 2>/dev/null &
pid=$!
for _ in $(seq 1 500); do
    [ -n "$(ls -A "$dst")" ] && break
    sleep 0.01
done
kill -STOP $pid
kill -INT $pid
kill -CONT $pid
wait $pid
rc=$?
check "Ctrl-C exits 130" test $rc -eq 130
check "Ctrl-C leaves nothing of the copy" test -z "$(ls -A "$dst")"

finish
