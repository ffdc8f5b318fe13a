#!/usr/bin/env bash
# Checks what the build installs.
#
#   install-tree.sh install <build dir> <config> <prefix>   installs into <prefix> and checks it
#   install-tree.sh desktop-entry <prefix>                  desktop-file-validate on the entry
#   install-tree.sh metainfo <prefix>                       appstreamcli validate on the metainfo
#   install-tree.sh deb <package dir> <version>             installs the Debian package, checks
#                                                           it, starts it in Xvfb and purges it
#
# The two validators exit 77 (skipped) when their tool is missing; the package test does when it
# is not root, when no package was built (scripts/package) or when the program is installed already.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"

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
    check_tree "$prefix"
}

check_tree() {
    local prefix=$1
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
    grep -qx "Exec=solvigram-charts %F" "$entry" ||
        fail "the desktop entry does not start solvigram-charts with the files given"
    grep -qx "MimeType=text/plain;text/csv;text/tab-separated-values;application/json;" "$entry" ||
        fail "the desktop entry does not declare the types of files it opens"
    grep -qx "Icon=$app_id" "$entry" || fail "the desktop entry does not name the icon $app_id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
        "$prefix/share/metainfo/$app_id.metainfo.xml" ||
        fail "the metainfo does not launch $app_id.desktop"
    [ -f "$prefix/share/doc/solvigram-charts/copyright" ] || fail "the copyright file is missing"
    [ -f "$prefix/share/man/man1/solvigram-charts.1.gz" ] || fail "the manual page is missing"
}

# Installs the package as a user would, checks what it put where, sees its window come up in a
# virtual X server, and purges it again whatever happened.
check_package() {
    local deb=$1/solvigram-charts_$2_$(dpkg --print-architecture 2>/dev/null).deb
    [ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
    [ -f "$deb" ] || skip "no package at $deb; build it with scripts/package"
    # Never replace, and then purge, a program this test did not install.
    local status
    status=$(dpkg-query -W -f='${db:Status-Status}' solvigram-charts 2>/dev/null) || true
    [ ! -e /usr/bin/solvigram-charts ] && [ "${status:-not-installed}" = not-installed ] ||
        skip "solvigram-charts is installed on this machine already"
    local tool
    for tool in Xvfb xdotool; do
        command -v "$tool" >/dev/null || skip "$tool is missing; install the Debian packages xvfb xdotool"
    done

    work=$(mktemp -d)
    pids=()
    trap 'purge_package; [ "$failures" -eq 0 ] || exit 1' EXIT
    DEBIAN_FRONTEND=noninteractive apt-get install -y -o DPkg::Lock::Timeout=120 "$deb" \
        >"$work/apt.log" 2>&1 || fail "apt-get cannot install $deb: $(tail -n 20 "$work/apt.log")"
    [ "$failures" -eq 0 ] || return 0
    check_tree /usr

    exec {display_fd}>"$work/display"
    Xvfb -displayfd "$display_fd" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=("$!")
    exec {display_fd}>&-
    local deadline=$((SECONDS + 30))
    until [ -s "$work/display" ]; do
        [ "$SECONDS" -lt "$deadline" ] && kill -0 "${pids[0]}" 2>/dev/null ||
            skip "the X server did not start: $(tail -n 3 "$work/xvfb.log")"
        sleep 0.1
    done

    export DISPLAY=":$(head -n 1 "$work/display")"
    unset WAYLAND_DISPLAY
    # Settings and runtime files stay inside $work, away from root's own.
    mkdir -m 700 "$work/runtime"
    env QT_QPA_PLATFORM=xcb HOME="$work" XDG_CONFIG_HOME="$work/config" \
        XDG_RUNTIME_DIR="$work/runtime" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
        /usr/bin/solvigram-charts >"$work/program.log" 2>&1 &
    pids+=("$!")
    timeout 30 xdotool search --sync --all --onlyvisible --pid "${pids[1]}" --name 'Solvigram' \
        >/dev/null ||
        fail "the installed program showed no window within 30 s: $(cat "$work/program.log")"
    trap - EXIT
    purge_package
}

purge_package() {
    stop_started
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -o DPkg::Lock::Timeout=120 solvigram-charts \
        >"$work/apt.log" 2>&1 || fail "apt-get cannot purge solvigram-charts: $(cat "$work/apt.log")"
    [ ! -e /usr/bin/solvigram-charts ] || fail "/usr/bin/solvigram-charts is left after the purge"
    rm -rf "$work"
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
deb)
    [ $# -eq 3 ] || { echo "usage: $0 deb <package dir> <version>" >&2; exit 2; }
    check_package "$2" "$3"
    ;;
*)
    echo "usage: $0 install|desktop-entry|metainfo|deb ..." >&2
    exit 2
    ;;
esac

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "PASSED"
