#!/usr/bin/env bash
# The main of a program of Qt test classes, on a real program of three classes (given as $1):
# a named class runs alone with the arguments after it, no name runs every class, a failed class
# is not hidden by one that passed after it, and an unknown name lists the names there are.
set -u
prog=$1
source "$(dirname "$0")/shell_checks.sh" kd-qt-test-main
export QT_QPA_PLATFORM=offscreen

classes_listed() {
    "$prog" NoSuchTest >"$work/out" 2>"$work/err"
    [ $? -eq 2 ] && grep -q 'no test class "NoSuchTest"; the classes are: DbTransferDlgTest KorvidViewTest SelectPortDlgTest$' "$work/err"
}
check "an unknown class fails and lists the classes" classes_listed

# The functions of all classes are the functions of each class, in turn.
every_class_listed() {
    "$prog" -functions >"$work/all" 2>/dev/null || return 1
    : >"$work/each"
    for c in DbTransferDlgTest KorvidViewTest SelectPortDlgTest; do
        "$prog" "$c" -functions >>"$work/each" 2>/dev/null || return 1
    done
    [ "$(wc -l <"$work/all")" -gt 10 ] && cmp -s "$work/all" "$work/each"
}
check "no class name runs every class" every_class_listed

# The class name is the program's: QTest sees only what follows it.
only_the_named_function() {
    local f
    f=$("$prog" SelectPortDlgTest -functions 2>/dev/null | head -1)
    "$prog" SelectPortDlgTest "${f%()}" >"$work/out" 2>&1 &&
        grep -q '^Totals: 3 passed, 0 failed' "$work/out" && ! grep -q 'Testing KorvidViewTest' "$work/out"
}
check "a named class runs with the arguments after it" only_the_named_function

# A function of the last class alone: the two before it fail, the last passes, and the program fails.
failure_is_kept() {
    local f
    f=$("$prog" SelectPortDlgTest -functions 2>/dev/null | head -1)
    "$prog" -silent "${f%()}" >"$work/out" 2>"$work/err"
    [ $? -eq 2 ] && grep -q 'DbTransferDlgTest failed' "$work/err" && grep -q 'KorvidViewTest failed' "$work/err" &&
        ! grep -q 'SelectPortDlgTest failed' "$work/err"
}
check "a failed class fails the run" failure_is_kept

finish
