#!/usr/bin/env bash
# Takes the screenshots of this folder again: Korvid under a virtual X server, against receiver-sim,
# and Dranfel under the same server with a window manager (openbox) for its title bars.
# Usage: docs/screenshots/make.sh [build folder, default build]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-build}
cmake --build "$root/$build" --target korvid_screenshots korvid_editor_screenshots dranfel_screenshots \
    dranfel_ts2pes_screenshots
xvfb-run -a -s "-screen 0 1280x1024x24" "$root/$build/docs/screenshots/korvid_screenshots" "$root/docs/screenshots"
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'openbox >/dev/null 2>&1 & wm=$!; sleep 1; "$0" "$1" "$2"; rc=$?; kill $wm; exit $rc' \
    "$root/$build/docs/screenshots/korvid_editor_screenshots" "$root/docs/screenshots" "$root/$build/samples/sample.ird"
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'openbox >/dev/null 2>&1 & wm=$!; sleep 1; "$0" "$1"; rc=$?; kill $wm; exit $rc' \
    "$root/$build/docs/screenshots/dranfel_screenshots" "$root/docs/screenshots"
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'openbox >/dev/null 2>&1 & wm=$!; sleep 1; "$0" "$1"; rc=$?; kill $wm; exit $rc' \
    "$root/$build/docs/screenshots/dranfel_ts2pes_screenshots" "$root/docs/screenshots"
