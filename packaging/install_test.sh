#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks it as a desktop would meet it: exactly the
# expected files, valid menu entries, the .ird type known to the prefix's MIME database, manual
# pages that show the options, and completion scripts that load and complete.
#   packaging/install_test.sh BUILD_DIR [nogui]     (nogui: a build without the windows)
set -euo pipefail
build=${1:?usage: install_test.sh BUILD_DIR [nogui]}
gui=1
[ "${2:-}" = nogui ] && gui=0
tmp=$(mktemp -d "${TMPDIR:-/tmp}/kd-install-test.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
fail=0
bad() {
    echo "FAIL: $*" >&2
    fail=1
}

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || {
    cat "$tmp/install.log" >&2
    exit 1
}

# Every file, and no other; the MIME cache that the install builds for its prefix is checked below.
expected=(
    bin/korvid-cli bin/dranfel-cli bin/receiver-sim
    share/korvid/sample.ird
    share/man/man1/korvid-cli.1.gz share/man/man1/dranfel-cli.1.gz share/man/man1/receiver-sim.1.gz
    share/bash-completion/completions/korvid-cli share/bash-completion/completions/dranfel-cli
    share/doc/korvid/guide.html share/doc/korvid/copyright share/doc/korvid/changelog.gz
)
programs=(korvid-cli dranfel-cli receiver-sim)
if [ "$gui" = 1 ]; then
    programs+=(korvid dranfel)
    expected+=(
        bin/korvid bin/dranfel share/man/man1/korvid.1.gz share/man/man1/dranfel.1.gz
        share/applications/korvid.desktop share/applications/dranfel.desktop
        share/mime/packages/korvid-ird.xml
    )
    for app in korvid dranfel; do
        expected+=("share/icons/hicolor/scalable/apps/$app.svg")
        for size in 16 22 24 32 48 64 128 256; do
            expected+=("share/icons/hicolor/${size}x${size}/apps/$app.png")
        done
    done
fi
while IFS= read -r image; do
    expected+=("share/doc/korvid/$image")
done < <(grep -o 'screenshots/[^)]*\.png' "$(dirname "$0")/../docs/guide.md" | sort -u)

(cd "$prefix" && find . -type f ! -path './share/mime/*' -o -type f -path ./share/mime/packages/korvid-ird.xml) |
    sed 's|^\./||' | sort >"$tmp/found"
printf '%s\n' "${expected[@]}" | sort >"$tmp/expected"
if ! diff -u "$tmp/expected" "$tmp/found" >"$tmp/diff"; then
    bad "installed files differ from the expected ones (- missing, + unexpected):"
    sed -n '3,$p' "$tmp/diff" | grep '^[-+]' >&2
fi
for program in "${programs[@]}"; do
    [ -x "$prefix/bin/$program" ] || bad "bin/$program is not executable"
done
cmp -s "$prefix/share/korvid/sample.ird" "$build/samples/sample.ird" || bad "share/korvid/sample.ird is not the sample"
[ "$(stat -c %s "$prefix/share/korvid/sample.ird")" = 475140 ] || bad "share/korvid/sample.ird is not a whole .ird file"
grep -q '<h2' "$prefix/share/doc/korvid/guide.html" || bad "guide.html has no sections"

if [ "$gui" = 1 ]; then
    for size in 16 256; do
        file "$prefix/share/icons/hicolor/${size}x${size}/apps/korvid.png" | grep -q "PNG image data, $size x $size" ||
            bad "the ${size}x$size icon is not a $size x $size PNG"
    done
    # Menu entries.
    for app in korvid dranfel; do
        desktop-file-validate "$prefix/share/applications/$app.desktop" || bad "$app.desktop does not validate"
        grep -qx "Icon=$app" "$prefix/share/applications/$app.desktop" || bad "$app.desktop names another icon"
    done
    grep -qx 'Exec=korvid %f' "$prefix/share/applications/korvid.desktop" || bad "korvid.desktop does not pass the file"
    grep -qx 'MimeType=application/x-korvid-ird;' "$prefix/share/applications/korvid.desktop" ||
        bad "korvid.desktop does not take .ird files"

    # The file type, as the desktop asks for it: by name, and by content for a file whose name says
    # nothing. Only this prefix's data counts (no desktop session, no user's own types).
    mkdir -p "$tmp/home" "$tmp/files"
    cp "$build/samples/sample.ird" "$tmp/files/Astra.ird"
    cp "$build/samples/sample.ird" "$tmp/files/database"
    head -c 475140 /dev/zero >"$tmp/files/zeros"
    cp "$tmp/files/zeros" "$tmp/files/blank.ird" # only its name says what it is
    xdg_mime() {
        env -u XDG_CURRENT_DESKTOP -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID -u DESKTOP_SESSION \
            XDG_DATA_HOME="$tmp/home" XDG_DATA_DIRS="$prefix/share" XDG_CONFIG_HOME="$tmp/home" \
            XDG_CONFIG_DIRS="$tmp/home" xdg-mime "$@"
    }
    query() { xdg_mime query filetype "$1"; }
    [ -f "$prefix/share/mime/mime.cache" ] || bad "the install did not update the prefix's MIME database"
    for f in Astra.ird blank.ird database; do
        got=$(query "$tmp/files/$f")
        [ "$got" = application/x-korvid-ird ] || bad "xdg-mime gives '$got' for $f"
    done
    got=$(query "$tmp/files/zeros")
    [ "$got" != application/x-korvid-ird ] || bad "a file of zeros passes for an .ird file"
    # What a double-click on one opens.
    got=$(xdg_mime query default application/x-korvid-ird)
    [ "$got" = korvid.desktop ] || bad "xdg-mime opens .ird files with '$got', not korvid.desktop"
fi

# Manual pages: each shows its options (and the CLIs every command's).
for page in korvid-cli dranfel-cli receiver-sim; do
    MANWIDTH=100 man -l "$prefix/share/man/man1/$page.1.gz" >"$tmp/$page.txt" 2>"$tmp/man.err" ||
        bad "man -l $page.1.gz failed: $(cat "$tmp/man.err")"
    grep -q -- '--help' "$tmp/$page.txt" || bad "the manual page of $page shows no options"
done
for word in send-db recv-db --port --max-refusals; do
    grep -q -- "$word" "$tmp/korvid-cli.txt" || bad "the manual page of korvid-cli does not mention $word"
done
for word in ts2pes mkdir; do
    grep -q -- "$word" "$tmp/dranfel-cli.txt" || bad "the manual page of dranfel-cli does not mention $word"
done
grep -q -- '--pty' "$tmp/receiver-sim.txt" || bad "the manual page of receiver-sim does not mention --pty"

# Completion: each script loads, registers its command, and completes a command and an option.
completions=$prefix/share/bash-completion/completions
for cli in korvid-cli dranfel-cli; do
    bash -c "source '$completions/$cli' && complete -p $cli" >/dev/null || bad "the completion of $cli does not load"
done
complete_line() { # SCRIPT WORDS...: what Tab offers after the words
    local script=$1
    shift
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); fn=$(complete -p "$1" | sed "s/.*-F \([^ ]*\) .*/\1/"); "$fn"; printf "%s\n" "${COMPREPLY[@]}"' \
        _ "$script" "$@"
}
complete_line "$completions/korvid-cli" korvid-cli se | grep -qx send-db || bad "korvid-cli se<Tab> does not offer send-db"
complete_line "$completions/korvid-cli" korvid-cli send-db --p | grep -qx -- --port ||
    bad "korvid-cli send-db --p<Tab> does not offer --port"
complete_line "$completions/dranfel-cli" dranfel-cli ts | grep -qx ts2pes || bad "dranfel-cli ts<Tab> does not offer ts2pes"

if [ "$fail" -ne 0 ]; then
    echo "install_test: the installed tree is not as it should be (install log: above)" >&2
    cat "$tmp/install.log" >&2
    exit 1
fi
echo "install_test: $(wc -l <"$tmp/found") files installed and checked under a temporary prefix"
