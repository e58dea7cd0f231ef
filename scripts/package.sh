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
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
echo "== files"
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$'
echo "== lintian"
# Errors fail the script; warnings are listed.
lintian --no-tag-display-limit "$deb" || {
    echo "package.sh: lintian found errors in $(basename "$deb")" >&2
    exit 1
}
echo "package.sh: $deb"
