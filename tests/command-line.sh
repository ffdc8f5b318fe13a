#!/usr/bin/env bash
# Runs the program as a script would, without a display, and prints what came of it:
#
#   command-line.sh <program> <out> none|old [arguments]
#
# OUT is removed first ("none") or holds an old file ("old"). Prints the program's output and
# exit status, then what OUT holds: a PNG's type and size, a PDF's pages, page size and text, an
# SVG's view box and texts; "old file kept" or "no file" where nothing was written. "-" for OUT
# looks at no file. Exits 77 (skipped) when a tool it needs is missing.
set -uo pipefail

program=$1 out=$2 before=$3
shift 3
case $out in
*.png) tools=(identify) ;;
*.pdf) tools=(pdfinfo pdftotext) ;;
*.svg) tools=(xmllint) ;;
*) tools=() ;;
esac
for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
done

old='old chart, kept as it was'
if [ "$out" != - ] && [ -d "$(dirname "$out")" ]; then
    rm -f "$out"
    [ "$before" = old ] && printf '%s' "$old" >"$out"
fi

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TZ=UTC "$program" "$@" 2>&1
echo "exit $?"

[ "$out" = - ] && exit 0
if [ ! -e "$out" ]; then
    echo "no file"
elif [ "$(printf '%s' "$old" | cmp - "$out" 2>&1)" = "" ]; then
    echo "old file kept"
else
    case $out in
    *.png) identify -format '%m %wx%h\n' "$out" ;;
    *.pdf)
        pdfinfo "$out" | grep -E '^(Pages|Page size):' | tr -s ' '
        echo "text: $(pdftotext "$out" - | grep -v '^$' | paste -sd '|')"
        ;;
    *.svg)
        xmllint --noout "$out" && echo "well formed"
        xmllint --xpath "string(/*[local-name()='svg']/@viewBox)" "$out"
        echo "text: $(xmllint --xpath "//*[local-name()='text']/text()" "$out" | paste -sd '|')"
        ;;
    esac
fi
# Nothing written beside OUT on the way.
[ -d "$(dirname "$out")" ] || exit 0
leftovers=$(find "$(dirname "$out")" -maxdepth 1 -name "$(basename "$out")?*" | wc -l)
[ "$leftovers" -eq 0 ] || echo "$leftovers files left beside $out"
