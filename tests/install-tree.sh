#!/usr/bin/env bash
# Checks what the build installs.
#
#   install-tree.sh install <build dir> <config> <prefix>   installs into <prefix> and checks it
#   install-tree.sh desktop-entry <prefix>                  desktop-file-validate on the entry
#   install-tree.sh metainfo <prefix>                       appstreamcli validate on the metainfo
#
# The two validators exit 77 (skipped) when their tool is missing.
set -euo pipefail

app_id=com.orvane.SolvigramCharts
icon_sizes=(16 32 48 64 128 256)
failures=0

fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
skip() {
    echo "SKIPPED: $*"
    exit 77
}

# Width and height from a PNG's header: the signature, then the IHDR chunk, whose first eight
# data bytes are the two sizes as big-endian 32-bit numbers.
png_size() {
    local signature
    signature=$(od -An -tx1 -N8 "$1" | tr -d ' \n')
    [ "$signature" = 89504e470d0a1a0a ] || return 1
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" \
        $5*16777216 + $6*65536 + $7*256 + $8 }'
}

check_installed_tree() {
    local build_dir=$1 config=$2 prefix=$3
    rm -rf "$prefix"
    cmake --install "$build_dir" --config "$config" --prefix "$prefix"

    [ -x "$prefix/bin/solvigram-charts" ] || fail "bin/solvigram-charts is missing or not executable"
    [ -f "$prefix/share/applications/$app_id.desktop" ] ||
        fail "share/applications/$app_id.desktop is missing"
    [ -f "$prefix/share/metainfo/$app_id.metainfo.xml" ] ||
        fail "share/metainfo/$app_id.metainfo.xml is missing"

    local size icon actual
    for size in "${icon_sizes[@]}"; do
        icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
        if [ ! -f "$icon" ]; then
            fail "icon ${icon#"$prefix"/} is missing"
            continue
        fi
        actual=$(png_size "$icon") || {
            fail "icon ${icon#"$prefix"/} is not a PNG"
            continue
        }
        [ "$actual" = "${size}x${size}" ] ||
            fail "icon ${icon#"$prefix"/} is $actual, not ${size}x${size}"
    done

    # The desktop entry and the metainfo name the same program and icon.
    local entry=$prefix/share/applications/$app_id.desktop
    grep -qx "Exec=solvigram-charts" "$entry" || fail "the desktop entry does not start solvigram-charts"
    grep -qx "Icon=$app_id" "$entry" || fail "the desktop entry does not name the icon $app_id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
        "$prefix/share/metainfo/$app_id.metainfo.xml" ||
        fail "the metainfo does not launch $app_id.desktop"
}

case ${1:-} in
install)
    [ $# -eq 4 ] || { echo "usage: $0 install <build dir> <config> <prefix>" >&2; exit 2; }
    check_installed_tree "$2" "$3" "$4"
    ;;
desktop-entry)
    command -v desktop-file-validate >/dev/null ||
        skip "desktop-file-validate is missing; install the Debian package desktop-file-utils"
    desktop-file-validate "$2/share/applications/$app_id.desktop" ||
        fail "desktop-file-validate rejects the desktop entry"
    ;;
metainfo)
    command -v appstreamcli >/dev/null ||
        skip "appstreamcli is missing; install the Debian package appstream"
    appstreamcli validate --no-net "$2/share/metainfo/$app_id.metainfo.xml" ||
        fail "appstreamcli rejects the metainfo"
    ;;
*)
    echo "usage: $0 install|desktop-entry|metainfo ..." >&2
    exit 2
    ;;
esac

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "PASSED"
