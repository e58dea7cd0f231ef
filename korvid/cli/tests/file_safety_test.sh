#!/usr/bin/env bash
# What korvid-cli's writes leave on disk: killed (-9, by strace, at the first write and just before
# the rename), onto a symbolic link, under the longest legal name; and its reads of a FIFO, which
# must be refused rather than waited on.
set -uo pipefail
cli=$1
sample=$2
work=$(mktemp -d /tmp/kd-korvid-cli-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0
check() { # check NAME COMMAND...: the command must succeed
    local name=$1
    shift
    if "$@"; then
        passes=$((passes + 1))
    else
        echo "FAIL: $name" >&2
        failures=$((failures + 1))
    fi
}
temps() { find "$1" -maxdepth 1 -name '.kdtmp-*' | wc -l; }

"$cli" build "$sample" "$work/db.ird" || { echo "FAIL: cannot build the sample" >&2; exit 1; }
echo "an older file" >"$work/old.json"

if command -v strace >/dev/null; then
    # -9 as the first write begins, and as the rename that would put the finished file in place
    # begins: either way the old file stays whole and a temporary file is left behind.
    for inject in write:error=EIO:signal=KILL:when=1 rename,renameat,renameat2:error=EIO:signal=KILL:when=1; do
        out=$(strace -f -qq -o /dev/null -e trace="${inject%%:*}" -e inject="$inject" \
            "$cli" dump "$work/db.ird" "$work/old.json" 2>&1)
        rc=$?
        check "dump killed at ${inject%%:*} dies by SIGKILL" test $rc -eq 137
        check "dump killed at ${inject%%:*} leaves the old file" grep -qx "an older file" "$work/old.json"
        check "dump killed at ${inject%%:*} leaves its temporary file" test "$(temps "$work")" -ge 1
    done
    check "the next write into the folder succeeds" "$cli" build "$sample" "$work/db.ird"
    check "and clears what the killed writes left" test "$(temps "$work")" -eq 0
else
    echo "strace is not installed: the kill checks are skipped" >&2
fi

# A save onto a link writes the file the link names, beside it; the link stays a link.
mkdir -p "$work/real" "$work/links"
echo old >"$work/real/out.json"
ln -s ../real/out.json "$work/links/out.json"
check "dump onto a link succeeds" "$cli" dump "$work/db.ird" "$work/links/out.json"
check "the link is still a link" test -L "$work/links/out.json"
check "the file it names holds the dump" grep -q '"satellites"' "$work/real/out.json"
check "nothing else was made beside the link" test "$(ls -A "$work/links")" = out.json

long=$(printf 'n%.0s' $(seq 1 251)).ird
check "build to a 255-byte name succeeds" "$cli" build "$sample" "$work/$long"
check "the 255-byte file is there" cmp -s "$work/$long" "$work/db.ird"

mkfifo "$work/pipe.ird" "$work/pipe.json"
out=$("$cli" info "$work/pipe.ird" 2>&1)
check "info of a FIFO fails" test $? -ne 0
check "info of a FIFO says what it is" grep -qF "is a FIFO, not a regular file" <<<"$out"
out=$("$cli" build "$work/pipe.json" "$work/x.ird" 2>&1)
check "build from a FIFO fails" test $? -ne 0
check "build from a FIFO says what it is" grep -qF "a FIFO, not a regular file" <<<"$out"

echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
