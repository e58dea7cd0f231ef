#!/usr/bin/env bash
# Installs what is missing, builds, and shows the channel database tool at work on the sample database.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh
bash scripts/build.sh build
db=${1:-$root/build/samples/sample.ird}
build/korvid/cli/korvid-cli info "$db"
