#!/usr/bin/env bash
# Compiles each file of the Qt-free libraries and of common/ on its own, for its errors only
# (-fsyntax-only): every .cpp, and every header as though it were the first line of a file. The
# builds compile a library's files together (unity builds), where a file that forgot an include still
# compiles because a file before it in its unit brought the header in; here nothing comes before it.
#   scripts/check_includes.sh [FOLDER]   FOLDER (default build-includes/) is configured file by file,
#                                         and not built, for the flags of each file
# One compiler runs per core; a file that fails shows its errors and fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build-includes}
[[ $dir = /* ]] || dir=$root/$dir
mkdir -p "$dir"
log="$dir/configure.log"
if ! cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKD_WERROR=ON -DKD_UNITY_BUILD=OFF \
    -DKD_BUILD_GUI=OFF -DKD_BUILD_TESTS=OFF -DKD_BUILD_BENCH=OFF >"$log" 2>&1; then
    cat "$log" >&2
    echo "check_includes.sh: the configure failed (the whole output is above and in $log)" >&2
    exit 1
fi

# The core libraries and common/; the command-line programs and receiver-sim are not unity builds.
core='^(common|korvid/(database|frame|link|editor)|dranfel/(storage|converter))/'
jobs=$dir/check_includes.jobs
: >"$jobs"
declare -A folder_flags checked
while IFS=$'\t' read -r file command; do
    rel=${file#"$root"/}
    [[ $rel =~ $core ]] || continue
    flags=${command% -o *} # the compiler and its flags, without the object file and the source
    echo "$flags -fsyntax-only $file" >>"$jobs"
    folder_flags[$(dirname "$rel")]=$flags
    # A file whose first include is its own header compiles that header alone already.
    if [ "$(grep -m1 '^#include' "$file")" = "#include \"${rel%.cpp}.h\"" ]; then
        checked[$root/${rel%.cpp}.h]=1
    fi
done < <(jq -r '.[] | .file + "\t" + .command' "$dir/compile_commands.json")
# The header-only helpers of common/, with the flags of a library that includes them.
folder_flags[common]=${folder_flags[common/file_replacement]}
for folder in "${!folder_flags[@]}"; do
    for header in "$root/$folder"/*.h; do
        [ -n "${checked[$header]:-}" ] && continue
        # Included into an empty file: a header given as the file itself warns about its #pragma once.
        echo "${folder_flags[$folder]} -fsyntax-only -include $header -x c++ /dev/null" >>"$jobs"
    done
done

cd "$dir"
if ! xargs -d '\n' -P "$(nproc)" -I{} sh -c {} <"$jobs"; then
    echo "check_includes.sh: the files above do not compile on their own" >&2
    exit 1
fi
echo "check_includes.sh: $(wc -l <"$jobs") files compile on their own"
