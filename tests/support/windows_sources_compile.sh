#!/usr/bin/env bash
# Type-checks the program's Windows-only code, which no build on this machine compiles: every source that is
# not a test, parsed by the MinGW-w64 cross compiler (-fsyntax-only) against the host's Qt headers, whose
# declarations are the same on Windows. Warnings are errors for the project's own code. The resource script
# goes through the resource compiler. Nothing is linked or run.
#
# windows_sources_compile.sh SOURCE_DIR BUILD_DIR QT_HEADERS LIBRARY_HEADERS RESOURCE_SCRIPT DEFINITIONS
#   QT_HEADERS       the folder holding QtCore/, QtGui/ ...
#   LIBRARY_HEADERS  copies of the zlib and SQLite headers (the host's /usr/include is not for Windows)
#   DEFINITIONS      the macros every Windows target is built with, separated by blanks
# MinGW's headers are made to define min and max as the Windows SDK's do (tests/support/windows_sdk), so a
# file that would break under MSVC for want of NOMINMAX fails here too.
# Sources are found when the check runs, so a file added anywhere is checked without naming it here.
set -uo pipefail

root=$1
build=$2
qtheaders=$3
libraryheaders=$4
resourcescript=$5
read -r -a definitions <<<"${6:-}"

compiler=x86_64-w64-mingw32-g++-posix
resourcecompiler=x86_64-w64-mingw32-windres
for tool in "$compiler" "$resourcecompiler"; do
    if ! command -v "$tool" >/dev/null; then
        echo "windows check: $tool is missing; install the Debian package g++-mingw-w64-x86-64-posix" \
            "(./scripts/test installs it)" >&2
        exit 1
    fi
done

started=$(date +%s%N)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every C++ source outside the tests, the benchmarks and the fuzzers (harnesses of their own libraries,
# never shipped), the build folders and hidden folders, and the X11 implementations of the platform
# services (a Windows build never compiles them).
mapfile -d '' sources < <(cd "$root" && find . \
    \( -path ./tests -o -path ./bench -o -path ./fuzz -o -name 'build*' -o -name '.?*' -o -name x11 \) -prune \
    -o -type f \( -name '*.cpp' -o -name '*.cc' -o -name '*.cxx' \) -printf '%P\0' | sort -z)
if [ ${#sources[@]} -eq 0 ]; then
    echo "windows check: no sources found under $root" >&2
    exit 1
fi

# Headers the build generates (the packed template ...), wherever a layer puts them.
sdk="$root/tests/support/windows_sdk"
flags=(-std=c++20 -Wall -Wextra -Wpedantic -Werror -DWIN32 -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB)
for definition in "${definitions[@]}"; do
    flags+=(-D"$definition")
done
flags+=(-include "$sdk/sdk_headers.h" -isystem "$sdk" -I"$root")
while IFS= read -r -d '' folder; do
    flags+=(-I"$folder")
done < <(find "$build" -path "$build/CMakeFiles" -prune -o -path "$libraryheaders" -prune \
    -o -type f -name '*.h' -printf '%h\0' | sort -zu)
flags+=(-isystem "$libraryheaders" -isystem "$qtheaders")
for module in "$qtheaders"/Qt*/; do
    flags+=(-isystem "${module%/}")
done

# A source whose preprocessed text, flags and compiler all passed before passes again: preprocessing costs
# a fifth of the parse, and the verdict depends on nothing else. The build folder keeps the record.
passed="$build/windows-check/passed"
mkdir -p "$passed"
identity=$("$compiler" --version | head -n 1)
export compiler work root passed identity
check() {
    local file=$1
    shift
    local log
    log="$work/$(printf '%s' "$file" | tr '/' '_').log"
    local key=""
    if key=$({ printf '%s\n' "$identity" "$@"; "$compiler" "$@" -E "$root/$file" 2>/dev/null; } |
        sha256sum); then
        key=${key%% *}
        [ -e "$passed/$key" ] && return 0
    else
        key=""
    fi
    if "$compiler" "$@" -fsyntax-only "$root/$file" >"$log" 2>&1; then
        [ -n "$key" ] && : >"$passed/$key"
    else
        printf '%s\n' "$file" >>"$work/failed"
    fi
}
export -f check

# The check must still see what MSVC sees: a file that forgets NOMINMAX has to fail, or a passing run
# proves nothing about min and max.
printf '%s\n' '#include <windows.h>' '#include <limits>' \
    'int largest() { return std::numeric_limits<int>::max(); }' >"$work/probe.cpp"
if "$compiler" "${flags[@]}" -UNOMINMAX -fsyntax-only "$work/probe.cpp" >/dev/null 2>&1; then
    echo "windows check: a source without NOMINMAX compiled; the check no longer defines min and max as" \
        "the Windows SDK does (tests/support/windows_sdk)" >&2
    exit 1
fi

jobs=${PINLET_WINDOWS_CHECK_JOBS:-$(nproc 2>/dev/null || echo 2)}
printf '%s\0' "${sources[@]}" | xargs -0 -P "$jobs" -I{} bash -c 'set -o pipefail; check "$@"' _ {} "${flags[@]}"

if ! "$resourcecompiler" -I"$root/assets" "$resourcescript" -O coff -o "$work/pinlet.res" \
    >"$work/resources.log" 2>&1; then
    printf '%s\n' "$resourcescript" >>"$work/failed"
    cp "$work/resources.log" "$work/$(printf '%s' "$resourcescript" | tr '/' '_').log"
fi

elapsed=$((($(date +%s%N) - started) / 1000000))
if [ -s "$work/failed" ]; then
    sort -o "$work/failed" "$work/failed"
    while IFS= read -r file; do
        echo "windows check: $file does not compile for Windows:"
        cat "$work/$(printf '%s' "$file" | tr '/' '_').log"
    done <"$work/failed"
    echo "windows check: FAILED, $(wc -l <"$work/failed") of $((${#sources[@]} + 1)) files, in ${elapsed} ms:"
    sed 's/^/  /' "$work/failed"
    exit 1
fi
echo "windows check: ${#sources[@]} sources and the resource script compile for Windows (${elapsed} ms," \
    "$jobs jobs)"
