# Shared by the scripts in this folder: source it, do not run it.

set -euo pipefail

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What building and running the program needs on Debian 12. "Helvetica" resolves to Nimbus Sans
# from fonts-urw-base35, so charts look the same on every machine.
build_packages=(cmake g++ make qt6-base-dev qt6-svg-dev libsimdjson-dev fonts-urw-base35)
# The end-to-end and installation tests drive the real program in a virtual X server; the
# command-line tests read the PDF and SVG files it writes.
test_packages=(xvfb xauth x11-utils xclip xdotool imagemagick desktop-file-utils appstream
    poppler-utils libxml2-utils)

# Installs the Debian packages that are missing: itself when run as root, otherwise it prints the
# apt-get line to run and stops.
need_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing ${missing[*]} ..."
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    else
        echo "Missing Debian packages. Install them with:" >&2
        echo "    sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
}

# Configures and builds one CMake preset; extra arguments go to the build (for example --target).
build_preset() {
    local preset=$1
    shift
    cmake --preset "$preset" -S "$repo_root" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)" "$@"
}

# For the scripts that drive the program in a virtual X server. Each keeps the processes it starts
# in pids and its files in work, and may define fail to report a timeout its own way.

# Runs the command until it succeeds; gives up after the given number of seconds.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            declare -F fail >/dev/null && fail "timed out after ${seconds} s waiting for $what"
            echo "Timed out after ${seconds} s waiting for $what" >&2
            exit 1
        fi
        sleep 0.2
    done
}

# Stops what was started; stop_and_clean then removes the work folder unless keep_work=1 keeps
# it for a look.
stop_started() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}

stop_and_clean() {
    stop_started
    if [ "${keep_work:-0}" = 1 ]; then
        echo "Files kept in $work"
    else
        rm -rf "$work"
    fi
}
