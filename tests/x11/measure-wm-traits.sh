#!/bin/bash
# SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
# SPDX-License-Identifier: GPL-2.0-or-later
#
# Measures what window managers make of _MOTIF_WM_HINTS, to fill the applier's traits table:
# for each window manager, under an Xvfb of its own, one test window gets each hint in turn
# while it is open; the frame is read back by its geometry (not by _NET_FRAME_EXTENTS, which
# some leave stale), the title bar by its pixels, the functions by _NET_WM_ALLOWED_ACTIONS.
# Then it tells whether deleting the hints, or rewriting them with every decoration, brings the
# frame back. A measuring tool, not a test: it waits fixed times. Not for a compositor that brings
# its own Xwayland (weston): its frames were measured by its screenshots.
#
#   measure-wm-traits.sh X11_TEST_CLIENT [WM...]
set -u
client=$1
shift
described=$(dirname "$0")/window-managers
# shellcheck disable=SC2046
wms=${*:-$(awk -F'|' '!/^#/ && NF > 1 && $7 !~ /xwayland/ { gsub(/ /, "", $1); print $1 }' "$described")}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# How the window manager is started, as tests/x11/window-managers says.
wm_command() {
    awk -F'|' -v wm="$1" '!/^#/ { name = $1; gsub(/ /, "", name) } name == wm { print $2 }' \
        "$described"
}

# The window manager's frame: the child of the root that holds the window.
frame_of() {
    local window=$1 parent
    while :; do
        parent=$(xwininfo -id "$window" -tree | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
        if xwininfo -id "$parent" -tree | grep -q 'Parent window id: 0x0'; then
            echo "$window"
            return
        fi
        [ "$parent" = "$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')" ] && {
            echo "$window"
            return
        }
        window=$parent
    done
}

# x y width height of a window, in root coordinates, its X border included.
outer() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} /Border width/ {b=$3}
        END {print x-b, y-b, w+2*b, h+2*b}'
}

# left,right,top,bottom of the frame around the client, from the geometry of both.
extents() {
    local window=$1 frame
    frame=$(frame_of "$window")
    read -r cx cy cw ch < <(outer "$window")
    read -r fx fy fw fh < <(outer "$frame")
    echo "$((cx - fx)),$((fx + fw - cx - cw)),$((cy - fy)),$((fy + fh - cy - ch))"
}

snapshot() {
    local window=$1 frame
    frame=$(frame_of "$window")
    read -r fx fy fw fh < <(outer "$frame")
    import -window root -crop "${fw}x${fh}+${fx}+${fy}" +repage "$work/$2.png" 2>/dev/null
}

same_pixels() {
    [ "$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1)" = 0 ]
}

actions() {
    xprop -id "$1" _NET_WM_ALLOWED_ACTIONS | sed 's/.*= //; s/_NET_WM_ACTION_//g; s/ //g'
}

# Through the test client: xprop cannot give the property its own type, which some require.
set_hints() {
    echo "motif $(($1)) $2" >&6
}

# name flags,functions,decorations
rows=(
    "title        2,0,118"
    "border       2,0,120"
    "handle       2,0,122"
    "title+border 2,0,112"
    "decor0       2,0,0"
    "menu         2,0,110"
    "min-decor    2,0,94"
    "max-decor    2,0,62"
    "min-func     1,54,0"
    "max-func     1,46,0"
    "close-func   1,30,0"
)

for wm in $wms; do
    Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$work/display-$wm" 2>/dev/null &
    xvfb_pid=$!
    until [ -s "$work/display-$wm" ]; do sleep 0.1; done
    read -r number <"$work/display-$wm"
    export DISPLAY=:$number HOME=$work/home-$wm
    mkdir -p "$HOME"
    read -ra command <<<"$(wm_command "$wm")"
    [ "${command[0]}" = setsid ] && command=("${command[@]:1}")
    # A process group of its own, so that what it starts (xfconfd) ends with it.
    setsid "${command[@]}" >/dev/null 2>&1 &
    wm_pid=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' && break
        sleep 0.1
    done
    sleep 2
    name=$(xprop -id "$(xprop -root _NET_SUPPORTING_WM_CHECK | awk '{print $NF}')" _NET_WM_NAME |
        sed 's/.*= //')
    mkfifo "$work/in-$wm"
    "$client" <"$work/in-$wm" >"$work/out-$wm" &
    client_pid=$!
    exec 6>"$work/in-$wm"
    echo "open $(printf 'measure\0Measure\0' | xxd -p) geometry 300x200+100+100" >&6
    sleep 1.5
    window=$(printf '0x%x' "$(awk '/^window/ {print $2}' "$work/out-$wm")")
    echo "== $wm ($name) window $window"
    echo "   plain: $(extents "$window") actions $(actions "$window")"
    snapshot "$window" base
    for row in "${rows[@]}"; do
        read -r label hints <<<"$row"
        set_hints "$window" "$hints"
        sleep 0.7
        snapshot "$window" "$label"
        same_pixels base "$label" && pixels=same || pixels=differ
        printf '   %-13s %-14s pixels %-7s actions %s\n' "$label" "$(extents "$window")" \
            "$pixels" "$(actions "$window")"
        set_hints "$window" -
        sleep 0.7
        snapshot "$window" "$label-deleted"
        if ! same_pixels base "$label-deleted"; then
            set_hints "$window" 3,1,1
            sleep 0.7
            snapshot "$window" "$label-full"
            same_pixels base "$label-full" && back="rewritten with all" || back="never"
            echo "      deleted: frame not back ($(extents "$window")); back when $back"
            set_hints "$window" -
            sleep 0.5
        fi
    done
    # Hints in place before the window is first mapped.
    echo "open $(printf 'early\0Early\0' | xxd -p) geometry 300x200+500+100 motif 2,0,0" >&6
    sleep 1.5
    early=$(printf '0x%x' "$(awk '/^window/ {print $2}' "$work/out-$wm" | tail -1)")
    echo "   decor0 before map: $(extents "$early")"
    exec 6>&-
    kill "$client_pid" 2>/dev/null
    kill -- "-$wm_pid" 2>/dev/null
    wait "$client_pid" "$wm_pid" 2>/dev/null
    kill "$xvfb_pid"
    wait "$xvfb_pid" 2>/dev/null
done
