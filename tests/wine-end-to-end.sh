#!/usr/bin/env bash
# The Windows build under Wine, in a virtual X server.
#
#   wine-end-to-end.sh run <prefix> <Qt bin folder> <test.exe> [arguments]
#       Runs a cross-built QtTest program; the Wine prefix is made on first use and shared.
#   wine-end-to-end.sh package <zip> <setup.exe> <csTimer export>
#       Drives the packaged program from the zip in a fresh prefix as a user would: pastes times
#       from the X clipboard, copies the chart, types a title that the portable copy keeps beside
#       itself, and draws a chart from the command line; then installs silently, types a title
#       that the installed program keeps in the registry, and uninstalls.
#
# Exits 77 (skipped) when Wine or the X tools are missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    keep_work=1
    exit 1
}

command -v wine >/dev/null || skip "wine is missing; install the Debian package wine"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask for the network.
export WINEDLLOVERRIDES='mscoree,mshtml='

# A new prefix whose sans-serif fonts exist: Windows maps the chart's "Helvetica" to Arial, which
# a fresh prefix lacks, and text would fall back to a serif face.
make_prefix() {
    WINEPREFIX=$1 wineboot -i >/dev/null 2>&1
    local font
    for font in Arial 'Segoe UI'; do
        WINEPREFIX=$1 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" \
            /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
    done
    WINEPREFIX=$1 wineserver -w
}

# The MinGW runtime DLLs lie beside the cross compiler's libraries.
mingw_runtime_path() {
    local dll
    for dll in libstdc++-6.dll libwinpthread-1.dll; do
        dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")"
    done | sort -u | sed 's|^|Z:|' | paste -sd';'
}

if [ "$1" = run ]; then
    prefix=$2 qt_bin=$3
    shift 3
    # One test makes the shared prefix while any others wait for it.
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        [ -f "$prefix/.complete" ] || { rm -rf "$prefix" && make_prefix "$prefix" &&
            touch "$prefix/.complete"; }
    ) 9>"$prefix.lock"
    # Qt builds no offscreen platform for Windows; minimal is its headless counterpart there.
    [ "${QT_QPA_PLATFORM:-}" = offscreen ] && export QT_QPA_PLATFORM=minimal
    export WINEPREFIX=$prefix WINEPATH="Z:$qt_bin;$(mingw_runtime_path)"
    # A test's own output does not reach a pipe through Wine's console; QtTest writes it to a file.
    log=$(mktemp)
    status=0
    wine "$@" -o "$log,txt" || status=$?
    cat "$log"
    rm -f "$log"
    exit "$status"
fi

[ "$1" = package ] || fail "unknown mode $1"
zip=$2 setup=$3 sample=$4
for tool in Xvfb xclip xdotool convert import unzip; do
    command -v "$tool" >/dev/null ||
        skip "$tool is missing; install the Debian packages xvfb xclip xdotool imagemagick unzip"
done
[ -r "$zip" ] || fail "no zip at $zip"
[ -r "$setup" ] || fail "no installer at $setup"

work=$(mktemp -d)
pids=()
cleanup() {
    [ -d "$work/prefix" ] && WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
    stop_and_clean
}
trap cleanup EXIT
trap 'keep_work=1' ERR

step() { echo "== $*"; }
running() { kill -0 "$1" 2>/dev/null; }
stopped() { ! running "$1"; }
clipboard_has() { xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx "$1"; }
clipboard_starts_with() { [ "$(xclip -selection clipboard -o 2>/dev/null | head -n 1)" = "$1" ]; }

exec {display_fd}>"$work/display"
Xvfb -displayfd "$display_fd" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
pids+=("$xvfb_pid")
exec {display_fd}>&-
deadline=$((SECONDS + 30))
until [ -s "$work/display" ]; do
    running "$xvfb_pid" || skip "the X server did not start: $(tail -n 3 "$work/xvfb.log")"
    [ "$SECONDS" -lt "$deadline" ] || skip "the X server did not start within 30 s"
    sleep 0.1
done
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY

step "fresh Wine prefix"
export WINEPREFIX=$work/prefix
make_prefix "$WINEPREFIX"
unzip -q "$zip" -d "$work/portable"
program=$(find "$work/portable" -name solvigram-charts.exe | head -n 1)
[ -n "$program" ] || fail "the zip holds no solvigram-charts.exe"

step "window appears"
(cd "$(dirname "$program")" && wine "$program" >"$work/program.log" 2>&1) &
program_pid=$!
pids+=("$program_pid")
window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Solvigram' | head -n 1) ||
    true
[ -n "$window" ] || fail "no window appeared within 60 s: $(cat "$work/program.log")"
timeout 10 xdotool windowfocus --sync "$window" || fail "the window did not take the focus"
echo "PASSED: window $window"

step "times pasted with Return draw the curve"
xclip -quiet -selection clipboard -i <"$sample" >/dev/null 2>&1 &
pids+=("$!")
wait_for 10 "the export on the clipboard" clipboard_starts_with "$(head -n 1 "$sample")"
# Wine reads the X clipboard when the program asks, and "Paste data" has the focus at start.
sleep 1
xdotool key Return
# The curve's fill is the main colour #66CCFF at half opacity over white.
curve_pixels() {
    import -window "$window" "$work/window.png"
    convert "$work/window.png" -alpha off -fuzz 2% -fill black +opaque '#B3E6FF' -fill white \
        -opaque '#B3E6FF' -format '%[fx:round(mean*w*h)]' info:
}
curve_drawn() { [ "$(curve_pixels)" -gt 5000 ]; }
wait_for 20 "the curve in the window" curve_drawn
cp "$work/window.png" "${WINE_SCREENSHOT:-$work/screenshot.png}"
echo "PASSED: $(curve_pixels) pixels of the curve's fill"

step "To Clipboard puts the chart on the X clipboard"
# Six steps on from "Paste data" in the focus chain lies "To Clipboard".
xdotool key Tab Tab Tab Tab Tab Tab space
wait_for 20 "an image on the X clipboard" clipboard_has image/png
xclip -selection clipboard -t image/png -o >"$work/chart.png"
fill=$(convert "$work/chart.png" -background white -flatten -alpha off -fuzz 2% -fill black \
    +opaque '#B3E6FF' -fill white -opaque '#B3E6FF' -format '%[fx:round(mean*w*h)]' info:)
[ "$fill" -gt 5000 ] || fail "the clipboard image shows no curve ($fill pixels of its fill)"
echo "PASSED: $(identify -format '%wx%h' "$work/chart.png") image, $fill pixels of the curve's fill"

# Types a title into the window and quits with Escape. "To Clipboard" and the start both leave the
# focus on "Paste data"; four steps back lies the title field.
type_title_and_quit() {
    xdotool key shift+Tab shift+Tab shift+Tab shift+Tab ctrl+a
    xdotool type --delay 30 "$1"
    sleep 0.5
    xdotool key Escape
    wait_for 30 "the program to exit after Escape" stopped "$2"
}

step "the zip's copy keeps a typed title beside itself, not in the registry"
type_title_and_quit 'Wine PBs' "$program_pid"
ini=$(dirname "$program")/solvigram-charts.ini
[ -f "$ini" ] || fail "no solvigram-charts.ini beside the program: $(ls "$(dirname "$program")")"
grep -q '^timeDistributionName=Wine PBs' "$ini" || fail "the title is not in the ini: $(cat "$ini")"
! wine reg query 'HKCU\Software\Orvane' >/dev/null 2>&1 ||
    fail "the portable copy wrote to the registry: $(wine reg query 'HKCU\Software\Orvane' /s)"
echo "PASSED: $(grep timeDistributionName "$ini")"

step "the command line draws a chart and lists sessions without a window"
windows_sample=$(winepath -w "$sample")
wine "$program" -o "$(winepath -w "$work/cli.png")" "$windows_sample" >"$work/cli.log" 2>&1 ||
    fail "--output failed: $(cat "$work/cli.log")"
[ "$(identify -format '%wx%h' "$work/cli.png" 2>/dev/null)" = 624x370 ] ||
    fail "--output wrote no 624 x 370 PNG: $(cat "$work/cli.log")"
wine "$program" --list-sessions "$windows_sample" >"$work/sessions.txt" 2>"$work/cli.log" ||
    fail "--list-sessions failed: $(cat "$work/cli.log")"
grep -qP '^1\t\t48\t' "$work/sessions.txt" ||
    fail "--list-sessions printed no session of 48 times: $(cat "$work/sessions.txt")"
echo "PASSED: a 624 x 370 PNG, and $(tr '\t' ' ' <"$work/sessions.txt")"

step "the installer installs silently"
wine "$setup" /S
wineserver -w
installed=$WINEPREFIX/drive_c/Program\ Files/Solvigram\ Charts
[ -f "$installed/solvigram-charts.exe" ] || fail "nothing installed in $installed"
[ -f "$installed/platforms/qwindows.dll" ] || fail "the platform plugin was not installed"
find "$WINEPREFIX/drive_c" -name 'Solvigram Charts.lnk' | grep -q . ||
    fail "no Start menu entry"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\SolvigramCharts'
wine reg query "$uninstall_key" /v DisplayName 2>/dev/null | grep -q 'Solvigram Charts' ||
    fail "no entry in the list of installed programs"
echo "PASSED: installed, with a Start menu entry and an entry in the installed programs"

step "the installed program keeps a typed title in the registry"
[ ! -e "$installed/portable.txt" ] || fail "the installer put portable.txt beside the program"
(cd "$installed" && wine "$installed/solvigram-charts.exe" >"$work/installed.log" 2>&1) &
installed_pid=$!
pids+=("$installed_pid")
window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Solvigram' | head -n 1) || true
[ -n "$window" ] || fail "the installed program showed no window: $(cat "$work/installed.log")"
timeout 10 xdotool windowfocus --sync "$window" || fail "the window did not take the focus"
type_title_and_quit 'Installed PBs' "$installed_pid"
wine reg query 'HKCU\Software\Orvane\SolvigramCharts' /v timeDistributionName >"$work/reg.txt" 2>&1 ||
    fail "no settings in the registry: $(cat "$work/reg.txt")"
grep -q 'Installed PBs' "$work/reg.txt" || fail "the title is not in the registry: $(cat "$work/reg.txt")"
[ ! -e "$installed/solvigram-charts.ini" ] || fail "the installed program wrote an ini file"
echo "PASSED: $(grep timeDistributionName "$work/reg.txt" | tr -s ' ')"

step "the uninstaller removes it"
wine "$installed/uninstall.exe" /S
wineserver -w
# The uninstaller runs from a copy in the temporary folder and may still be finishing.
gone() { [ ! -e "$installed" ]; }
wait_for 30 "the install folder to go" gone
! wine reg query "$uninstall_key" >/dev/null 2>&1 || fail "the installed-programs entry remains"
! find "$WINEPREFIX/drive_c" -name 'Solvigram Charts.lnk' | grep -q . ||
    fail "the Start menu entry remains"
echo "PASSED: uninstalled"
