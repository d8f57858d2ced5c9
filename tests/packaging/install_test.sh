#!/usr/bin/env bash
# Installs the built program into a folder of its own (DESTDIR, prefix /usr) and checks that every file a
# desktop looks for is where it looks, and that the desktop entry and the metadata pass their validators.
# Usage: install_test.sh BUILD_DIR. Exit 77 (skipped) when a validator is not installed.
set -uo pipefail

build=$1
for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (the Debian packages desktop-file-utils and appstream; ./scripts/test installs them)"
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/pinlet-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

DESTDIR="$work" cmake --install "$build" --prefix /usr >"$work.log" 2>&1 || {
    cat "$work.log" >&2
    rm -f "$work.log"
    echo "FAIL: cmake --install failed" >&2
    exit 1
}
rm -f "$work.log"
usr="$work/usr"

# The desktop entry: its name gives the id every other file is named after.
entries=("$usr"/share/applications/*.desktop)
[ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] || {
    echo "FAIL: not exactly one desktop entry in share/applications" >&2
    exit 1
}
entry=${entries[0]}
id=$(basename "$entry" .desktop)

[ -x "$usr/bin/pinlet" ] || fail "no executable bin/pinlet"
"$usr/bin/pinlet" --version | grep -q "^Pinlet [0-9]" || fail "the installed executable does not say its version"

desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
value() { sed -n "/^\[Desktop Entry\]/,/^\[/{s/^$1=//p}" "$entry"; }
[ "$(value Name)" = "Pinlet" ] || fail "Name is '$(value Name)'"
[ "$(value Categories)" = "Utility;" ] || fail "Categories is '$(value Categories)'"
[ "$(value StartupNotify)" = "false" ] || fail "StartupNotify is '$(value StartupNotify)'"
[ "$(value Icon)" = "$id" ] || fail "Icon is '$(value Icon)', not the id $id"
[ "$(value Exec)" = "pinlet" ] || fail "Exec is '$(value Exec)'"
grep -qx "Comment=Öntapadós jegyzetek az értesítési területen" "$entry" || fail "no Hungarian comment"
sed -n '/^\[Desktop Action new\]/,/^\[/p' "$entry" | grep -qx "Name=Új jegyzet" || fail "no action 'Új jegyzet'"
sed -n '/^\[Desktop Action new\]/,/^\[/p' "$entry" | grep -qx "Exec=pinlet --new" || fail "the action does not run --new"

metainfo="$usr/share/metainfo/$id.metainfo.xml"
[ -f "$metainfo" ] || fail "no metadata $metainfo"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the metadata names another entry"

# The icon: the vector source and each bitmap size, whose PNG header must give that size.
[ -s "$usr/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    png="$usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -s "$png" ] || { fail "no ${size}x${size} icon"; continue; }
    # Width and height are the big-endian words at bytes 16 and 20 of a PNG file.
    read -r width height < <(od -An -j16 -N8 -tu1 "$png" |
        awk '{print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8}')
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "the ${size}x${size} icon is ${width}x${height}"
done

for file in share/doc/pinlet/copyright share/doc/pinlet/changelog.gz share/man/man1/pinlet.1.gz; do
    [ -s "$usr/$file" ] || fail "no $file"
done
gzip -t "$usr/share/man/man1/pinlet.1.gz" "$usr/share/doc/pinlet/changelog.gz" || fail "a compressed file is damaged"

[ "$failed" -eq 0 ] || exit 1
echo "installed and validated: $id"
