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
# Names with a tab, a line feed, a backslash or a terminal control keep to one line of four fields,
# and nothing of them reaches the terminal raw.
odd=$work/odd
mkdir -p "$odd"
head -c 10 /dev/zero >"$odd/$(printf 'a\tb.mp3')"
head -c 10 /dev/zero >"$odd/$(printf 'c\nd.mp3')"
head -c 10 /dev/zero >"$odd/e\\f.mp3"
head -c 10 /dev/zero >"$odd/$(printf 'g\033[2J\rh.mp3')"
odd_listing=$("$cli" ls "$odd" | sort)
check "ls writes four lines for four odd names" test "$(wc -l <<<"$odd_listing")" -eq 4
check "ls gives every line four fields" test "$(awk -F'\t' 'NF != 4' <<<"$odd_listing" | wc -l)" -eq 0
check "ls escapes a tab" grep -qF 'a\tb.mp3	a\tb.mp3	' <<<"$odd_listing"
check "ls escapes a line feed" grep -qF 'c\nd.mp3	c\nd.mp3	' <<<"$odd_listing"
check "ls escapes a backslash" grep -qF 'e\\f.mp3	e\\f.mp3	' <<<"$odd_listing"
check "ls escapes ESC and CR" grep -qF 'g\x1b[2J\x0dh.mp3	g\x1b[2J\x0dh.mp3	' <<<"$odd_listing"
check "ls writes no ESC or CR" test "$(tr -cd '\033\r' <<<"$odd_listing" | wc -c)" -eq 0
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
head -c 5000 /dev/urandom >"$src/film.mpg"
check "cp takes a converted file" "$cli" cp "$src" "$dst" film.mpg
check "cp copied the converted file" cmp -s "$src/film.mpg" "$dst/film.mpg"
check "rm takes a converted file" "$cli" rm "$dst" film.mpg
check "rm removed the converted file" test ! -e "$dst/film.mpg"
rm -f "$src/film.mpg"

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

# -9 at each rename of a copy that puts a 2-part recording over a 3-part one. The next writer in
# the folder (a copy of an .mp3) recovers what the killed one left: then the folder holds the old
# recording whole or the new one whole, never a mix, and nothing of the killed run.
if command -v strace >/dev/null; then
    rm -rf "${src:?}"/* "${dst:?}"/* "$dst"/.kdtmp-* "$work/old" "$work/new"
    make_recording "$src" News
    head -c 3000 /dev/urandom >"$src/tune.mp3"
    make_recording "$dst" News
    head -c 30000 /dev/urandom >"$dst/News_#003_200603012015.AVR"
    printf '\x00\x03' | dd of="$dst/News_#001_200603012015.AVF" bs=1 seek=1740 conv=notrunc status=none
    mkdir "$work/old" "$work/new" && cp "$dst"/* "$work/old/"
    # The new recording as a whole run leaves it (its receiver paths name the destination).
    "$cli" cp "$src" "$dst" News_#001_200603012015.AVR && cp "$dst"/* "$work/new/"
    holds() { # DIR COPY: DIR holds exactly the files of COPY, byte for byte
        diff -r -q -x '.kdtmp-*' "$1" "$2" >/dev/null
    }
    whole() { holds "$dst" "$work/old" || holds "$dst" "$work/new"; }
    # Old files go aside by rename, new ones come in by renameat2 (which never replaces); strace
    # counts each call apart, so each is killed in turn at its k-th call. The leak checker of a
    # sanitizer build cannot work under a tracer; it is turned off there.
    for call in rename renameat2; do
      completed=0
      for k in 1 2 3 4 5 6 7 8 9 10; do
        rm -rf "${dst:?}"/* "$dst"/.kdtmp-* && cp "$work/old"/* "$dst/"
        ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
            strace -f -qq -o /dev/null -e trace=$call -e inject=$call:error=EIO:signal=KILL:when=$k \
            "$cli" cp "$src" "$dst" News_#001_200603012015.AVR >/dev/null 2>&1
        rc=$?
        if [ $rc -eq 0 ]; then
            completed=1
            check "a run with fewer calls of $call than $k puts the new recording in place" holds "$dst" "$work/new"
            break
        fi
        check "killed at $call $k" test $rc -eq 137
        if [ -e "$dst/News_#001_200603012015.AVF" ]; then
            check "killed at $call $k: an information file stands only beside its own parts" whole
        fi
        check "after $call $k the next writer recovers" "$cli" cp "$src" "$dst" tune.mp3
        rm -f "$dst/tune.mp3"
        check "after $call $k the old recording or the new one is whole" whole
        check "after $call $k nothing of the killed run is left" test -z "$(ls -A "$dst" | grep kdtmp)"
      done
      check "a run whose $call is not killed completes" test $completed -eq 1
    done
    # A file of the user's that merely looks like ours is never touched.
    echo notes >"$dst/.kdtmp-abcdef"
    echo notes >"$dst/.kdtmp-abcdef.1"
    check "a copy into a folder with the user's .kdtmp- files succeeds" "$cli" cp "$src" "$dst" tune.mp3
    check "and leaves them" test "$(cat "$dst/.kdtmp-abcdef" "$dst/.kdtmp-abcdef.1")" = "$(printf 'notes\nnotes')"
    rm -f "$dst"/.kdtmp-abcdef*
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
