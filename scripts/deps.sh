#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, but only those missing,
# so running it again costs nothing.
set -euo pipefail

packages=(
    cmake ninja-build g++ lld pkg-config clang-format
    # the second compiler of CI's release builds
    clang
    libgtest-dev libgmock-dev libbenchmark-dev
    libcli11-dev nlohmann-json3-dev
    qt6-base-dev
    ffmpeg xvfb xauth imagemagick openbox
    strace dosfstools
    # the installed scan tables "Update Transponders..." and update-tp read by default
    dtv-scan-tables
    # reads compile_commands.json for scripts/check_includes.sh
    jq
    # installing: icons, manual pages, the guide, and the checks of the installed tree and the .deb
    librsvg2-bin help2man cmark gzip man-db file
    desktop-file-utils shared-mime-info xdg-utils libfile-mimeinfo-perl
    dpkg-dev fakeroot
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
