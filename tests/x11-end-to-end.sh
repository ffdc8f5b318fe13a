#!/usr/bin/env bash
# Drives the real program in a virtual X server, as a user would: pastes a csTimer export from
# the X clipboard, copies the chart back as a PNG and checks it against what the window shows,
# then types a title, quits, starts again and checks that the title came back.
#
#   x11-end-to-end.sh <program> <csTimer export>
#
# Exits 77 (skipped) when the X tools are missing or no X server can start.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"

program=$1
sample=$2

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    keep_work=1
    exit 1
}

for tool in Xvfb xclip xdotool convert compare import; do
    command -v "$tool" >/dev/null ||
        skip "$tool is missing; install the Debian packages xvfb xclip xdotool imagemagick"
done
[ -x "$program" ] || fail "no program at $program"
[ -r "$sample" ] || fail "no sample export at $sample"

work=$(mktemp -d)
pids=()
trap stop_and_clean EXIT
# An unexpected error keeps the logs and images for a look, as a failure does.
trap 'keep_work=1' ERR


running() { kill -0 "$1" 2>/dev/null; }
stopped() { ! running "$1"; }

# The X server picks a free display itself and writes its number once it accepts clients.
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
display=$(head -n 1 "$work/display")
export DISPLAY=":$display"
unset WAYLAND_DISPLAY SESSION_MANAGER
echo "X server on $DISPLAY"

# Settings, caches and runtime files of the program all stay inside $work. A session bus that
# does not exist keeps the program off the user's desktop bus and stops the D-Bus library from
# launching one of its own through the X server.
mkdir -p "$work/config" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
settings_file=$work/config/Orvane/SolvigramCharts.conf

clipboard_has() { xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx "$1"; }
clipboard_text_is() { [ "$(xclip -selection clipboard -o 2>/dev/null)" = "$1" ]; }
clipboard_starts_with() { [ "$(xclip -selection clipboard -o 2>/dev/null | head -n 1)" = "$1" ]; }

program_pid=
window=
start_program() {
    local run=$1
    env QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config" HOME="$work/home" \
        XDG_CACHE_HOME="$work/home/cache" XDG_DATA_HOME="$work/home/data" \
        XDG_RUNTIME_DIR="$work/runtime" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
        "$program" >"$work/program-$run.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$program_pid" \
        --name 'Solvigram' | head -n 1) || true
    [ -n "$window" ] || fail "run $run: no window appeared within 30 s"
    # No window manager runs, so give the window the keyboard focus directly.
    timeout 10 xdotool windowfocus --sync "$window" ||
        fail "run $run: the window did not take the keyboard focus"
}

# Escape closes the dialog, which ends the program normally and saves the title.
quit_program() {
    local run=$1
    xdotool key Escape
    wait_for 20 "run $run to exit after Escape" stopped "$program_pid"
    local status=0
    wait "$program_pid" || status=$?
    [ "$status" -eq 0 ] || fail "run $run exited with status $status: $(cat "$work/program-$run.log")"
}

# The title field's text, read by copying it to the clipboard; the field must have the focus.
title_field_text_is() {
    local expected=$1
    xdotool key ctrl+a ctrl+c
    wait_for 10 "the title field's text \"$expected\" on the clipboard" clipboard_text_is "$expected"
}

echo "== First run: paste the export, copy the chart"
start_program 1
window_size=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
window_width=${window_size%x*}
window_height=${window_size#*x}
echo "Window $window, ${window_width}x${window_height}"

if command -v xprop >/dev/null; then
    xprop -id "$window" -notype -len 8 _NET_WM_ICON | grep -q 'Icon (' ||
        fail "the window carries no icon"
else
    echo "Window icon not checked: xprop (Debian package x11-utils) is missing"
fi

xclip -quiet -selection clipboard -i <"$sample" >"$work/xclip.log" 2>&1 &
pids+=("$!")
wait_for 10 "the export on the clipboard" clipboard_starts_with "$(head -n 1 "$sample")"

# "Paste data" has the focus at start, so Return pastes. Six steps on in the focus chain lies "To
# Clipboard".
xdotool key Return
xdotool key Tab Tab Tab Tab Tab Tab space
wait_for 20 "the chart image on the clipboard" clipboard_has image/png
xclip -selection clipboard -t image/png -o >"$work/chart.png"
import -window "$window" "$work/window.png"

read -r image_width image_height < <(identify -format '%w %h\n' "$work/chart.png")
echo "Chart image ${image_width}x${image_height}"
# The chart area fills the window's height inside the dialog's layout margins, which are the same
# on all four sides, and most of its width; the control column takes the rest.
if [ "$image_height" -ge "$window_height" ] || [ "$image_width" -le 500 ] ||
    [ "$image_width" -ge "$window_width" ]; then
    fail "chart image ${image_width}x${image_height} cannot be the chart area of a ${window_size} window"
fi
margin=$(((window_height - image_height) / 2))

# Laid over the window's background, the image must match the chart area on screen pixel for
# pixel: same size, same drawing. A one-pixel shift differs in thousands of pixels; the fuzz
# only absorbs rounding between blending on screen and in the image. The note over the chart is
# on screen only, so the chart area is compared once the note has gone by itself.
background=$(convert "$work/window.png" -format "%[pixel:p{1,1}]" info:)
convert "$work/chart.png" -background "$background" -flatten "$work/chart-on-window.png"
differing=
chart_on_screen_matches() {
    import -window "$window" "$work/window.png"
    convert "$work/window.png" -crop "${image_width}x${image_height}+${margin}+${margin}" +repage \
        "$work/chart-area.png"
    differing=$(compare -metric AE -fuzz 1% "$work/chart-on-window.png" "$work/chart-area.png" \
        null: 2>&1) || true
    [ "$differing" = 0 ]
}
xdotool mousemove 0 0
chart_on_screen_matches || sleep 11
chart_on_screen_matches ||
    fail "the chart image differs from the chart area on screen in $differing pixels"

pixel() { convert "$work/chart.png" -format "%[pixel:p{$1,$2}]" info:; }
alpha() { convert "$work/chart.png" -format "%[fx:p{$1,$2}.a]" info:; }
[ "$(alpha 0 0)" = 0 ] || fail "corner pixel (0, 0) is not transparent: $(pixel 0 0)"
# Left and right of the plot, halfway down, lies bare frame background.
for x in 10 $((image_width - 11)); do
    y=$((image_height / 2))
    [ "$(pixel "$x" "$y")" = "srgba(255,255,255,1)" ] ||
        fail "pixel ($x, $y) inside the frame is $(pixel "$x" "$y"), not opaque white"
done

# Pixels of one colour inside the frame, whose own outline is in the main colour too, with a
# little tolerance for antialiasing and rounding.
count_colour() {
    convert "$work/chart.png" -crop "$((image_width - 20))x$((image_height - 20))+10+10" \
        -alpha off -fuzz 2% -fill black +opaque "$1" -fill white -opaque "$1" \
        -format '%[fx:round(mean*w*h)]' info:
}
outline=$(count_colour '#66CCFF')
# The curve's fill is the main colour at half opacity over white.
fill=$(count_colour '#B3E6FF')
secondary=$(count_colour '#FF8200')
echo "Main colour: $outline outline and $fill fill pixels; secondary colour: $secondary pixels"
[ "$outline" -gt 500 ] || fail "no curve outline in the main colour #66CCFF ($outline pixels)"
[ "$fill" -gt 5000 ] || fail "no filled curve in the main colour ($fill pixels of #B3E6FF)"
[ "$secondary" -eq 0 ] || fail "the secondary colour shows although no second list was pasted"

echo "== First run: type a title and quit"
# "To Clipboard" hands the focus back to "Paste data"; four steps back lies the title field.
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab ctrl+a
xdotool type --delay 20 'My PBs'
title_field_text_is 'My PBs'
quit_program 1
grep -qx 'timeDistributionName=My PBs' "$settings_file" ||
    fail "the title is not in the settings store: $(cat "$settings_file" 2>&1)"

echo "== Second run: the title is back"
start_program 2
# Four steps back from "Paste data" lies the title field.
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab
title_field_text_is 'My PBs'
quit_program 2
grep -qx 'timeDistributionName=My PBs' "$settings_file" ||
    fail "the second run lost the title: $(cat "$settings_file" 2>&1)"

echo "PASSED"
