#!/usr/bin/env bash
# Builds the .deb from a clean build folder and checks it:
#   scripts/package.sh [BUILD_DIR]      (default build-package/; the .deb lands in the repository root)
# Then: sudo apt install ./korvid_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
if ! command -v lintian >/dev/null; then
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends lintian
fi

dir=${1:-build-package}
[[ $dir = /* ]] || dir=$root/$dir
rm -rf "$dir"
mkdir -p "$dir"
if ! cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DKD_BUILD_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >"$dir/configure.log" 2>&1; then
    cat "$dir/configure.log" >&2
    exit 1
fi
# Only what the package holds is built: no tests, no benchmarks.
cmake --build "$dir" -j "$(nproc)" --target korvid dranfel korvid-cli dranfel-cli receiver-sim \
    sample_database install_files
(cd "$dir" && cpack -G DEB >cpack.log) || {
    cat "$dir/cpack.log" >&2
    exit 1
}
deb=$(ls "$dir"/korvid_*.deb)
cp "$deb" "$root/"
deb=$root/$(basename "$deb")

echo "== $(basename "$deb")"
dpkg-deb --field "$deb" Package Version Architecture Depends Maintainer Section
echo "== files"
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$' | tee "$dir/contents.txt"
for f in bin/korvid bin/dranfel bin/korvid-cli bin/dranfel-cli bin/receiver-sim \
    share/applications/korvid.desktop share/applications/dranfel.desktop share/mime/packages/korvid-ird.xml \
    share/icons/hicolor/48x48/apps/korvid.png share/icons/hicolor/scalable/apps/dranfel.svg share/korvid/sample.ird \
    share/man/man1/korvid-cli.1.gz share/man/man1/dranfel-cli.1.gz share/man/man1/receiver-sim.1.gz \
    share/bash-completion/completions/korvid-cli share/bash-completion/completions/dranfel-cli \
    share/doc/korvid/guide.html; do
    grep -qx "./usr/$f" "$dir/contents.txt" || {
        echo "package.sh: the package lacks /usr/$f" >&2
        exit 1
    }
done
echo "== lintian"
# Errors fail the script; warnings are listed.
lintian --tag-display-limit 0 "$deb" || {
    echo "package.sh: lintian found errors in $(basename "$deb")" >&2
    exit 1
}
echo "package.sh: $deb"
