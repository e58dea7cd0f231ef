#!/usr/bin/env bash
# What korvid-cli's writes leave on disk when the process is killed (-9, by strace) as its first
# write begins and as the rename that would put the finished file in place begins. (Links, long
# names and FIFOs are pinned where every save goes through: common/tests.)
set -uo pipefail
cli=$1
sample=$2
source "$(dirname "$0")/../../../common/testing/shell_checks.sh" kd-korvid-cli
temps() { find "$1" -maxdepth 1 -name '.kdtmp-*' | wc -l; }

"$cli" build "$sample" "$work/db.ird" || { echo "FAIL: cannot build the sample" >&2; exit 1; }
echo "an older file" >"$work/old.json"

if command -v strace >/dev/null; then
    # -9 as the first write begins, and as the rename that would put the finished file in place
    # begins: either way the old file stays whole; the rename's kill leaves the staged file behind
    # (the first write's is that of a lock file not yet linked into the folder: nothing is left).
    for inject in write:error=EIO:signal=KILL:when=1 rename,renameat,renameat2:error=EIO:signal=KILL:when=1; do
        out=$(strace -f -qq -o /dev/null -e trace="${inject%%:*}" -e inject="$inject" \
            "$cli" dump "$work/db.ird" "$work/old.json" 2>&1)
        rc=$?
        check "dump killed at ${inject%%:*} dies by SIGKILL" test $rc -eq 137
        check "dump killed at ${inject%%:*} leaves the old file" grep -qx "an older file" "$work/old.json"
        [ "${inject%%:*}" = write ] ||
            check "dump killed at ${inject%%:*} leaves its temporary file" test "$(temps "$work")" -ge 1
    done
    check "the next write into the folder succeeds" "$cli" build "$sample" "$work/db.ird"
    check "and clears what the killed writes left" test "$(temps "$work")" -eq 0
    # The new name is flushed with its folder after the rename, so that a power cut cannot take
    # it back: an fsync of the folder itself follows the rename.
    strace -f -qq -y -o "$work/trace" -e trace=rename,renameat,renameat2,fsync "$cli" build "$sample" "$work/db.ird"
    check "build flushes the folder after its rename" \
        awk -v dir="<$work>)" '/rename/ { renamed = 1 } renamed && /fsync\(/ && index($0, dir) { flushed = 1 }
                               END { exit !flushed }' "$work/trace"
    rm -f "$work/trace"
else
    echo "strace is not installed: the kill checks are skipped" >&2
fi

finish
