#!/bin/sh
# SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
# SPDX-License-Identifier: GPL-2.0-or-later
# The daemon against devilspie2, on each window manager in one run: both get the same wish (no
# frame, above the others, 300x200 at 100,80) for windows that a program opens one after another,
# and bench-wm-peer follows each window from its first map until all of it is in place. Prints
# per window manager the medians and 95th percentiles, and their ratios daemon / devilspie2.
# Runnable by hand only: about six minutes with 25 windows each.
#
#   bench/wm-peer.sh                        # 25 windows, those of tests/x11/window-managers
#                                           # that run under Xvfb
#   KIVO_PEER_WINDOWS=50 bench/wm-peer.sh openbox metacity
#   KIVO_BENCH_BUILD_DIR=build-test bench/wm-peer.sh    # another build directory (build-bench)
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
windows=${KIVO_PEER_WINDOWS:-25}
wms=${*:-$(awk -F'|' '!/^#/ && NF > 1 && $7 !~ /xwayland/ { gsub(/ /, "", $1); print $1 }' tests/x11/window-managers)}

if [ -z "${KIVO_PEER_ON_BUS:-}" ]; then
    scripts/deps
    build=${KIVO_BENCH_BUILD_DIR:-build-bench}
    case $build in
    /*) ;;
    *) build=$top/$build ;;
    esac
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target kivo-winpropsd bench-wm-peer >/dev/null
    work=$(mktemp -d /tmp/kivo-wm-peer-XXXXXX)
    trap 'rm -rf "$work"' EXIT
    mkdir -m 700 "$work/config" "$work/data" "$work/cache" "$work/runtime"
    export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
        XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
    # devilspie2 is a GTK program: no accessibility bus for it.
    export QT_QPA_PLATFORM=offscreen LC_ALL=C NO_AT_BRIDGE=1
    export KIVO_PEER_ON_BUS=1 KIVO_PEER_BUILD="$build" KIVO_PEER_WORK="$work"
    # shellcheck disable=SC2086
    dbus-run-session --config-file="$top/tests/common/test-bus.conf" -- "$top/bench/wm-peer.sh" $wms
    exit
fi

load_at_start=$(cut -d' ' -f1-3 /proc/loadavg)
# shellcheck disable=SC2086
"$KIVO_PEER_BUILD/bench/bench-wm-peer" "$KIVO_PEER_BUILD/daemon/kivo-winpropsd" "$KIVO_PEER_WORK" \
    "$windows" $wms >"$KIVO_PEER_WORK/results" 2>"$KIVO_PEER_WORK/log" || {
    cat "$KIVO_PEER_WORK/log" >&2
    exit 1
}
echo "$(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) processors; load average at the end:" \
    "$(cut -d' ' -f1-3 /proc/loadavg) (at the start: $load_at_start)"
echo "Milliseconds over all $windows windows (never: not all in place after 5 s). placed: all in place"
echo "in the end; lat.: first map to all in place; wrong: viewable while not all in place; 0 ms: the"
echo "share of windows never seen so."
awk '
function ratio(ours, theirs) {
    if (ours == "never" || theirs == "never") return "n/a"
    if (theirs == 0) return ours == 0 ? "0/0" : "inf"
    return sprintf("%.2f", ours / theirs)
}
function cell(value) { return value == "never" ? value : sprintf("%.2f", value) }
{ row[$1, $2 == "devilspie2"] = $0; if (!seen[$1]++) order[++n] = $1 }
END {
    printf "%-9s %-15s %7s %9s %9s %9s %9s %6s\n", "WM", "tool", "placed", "lat. 50",
        "lat. 95", "wrong 50", "wrong 95", "0 ms"
    for (i = 1; i <= n; i++) {
        for (peer = 0; peer <= 1; peer++) {
            split(row[order[i], peer], f, " ")
            printf "%-9s %-15s %3d/%-3d %9s %9s %9s %9s %5.0f%%\n", f[1], f[2], f[4], f[3],
                cell(f[5]), cell(f[6]), cell(f[7]), cell(f[8]), 100 * f[9] / f[3]
            for (k = 5; k <= 8; k++) figure[peer, k] = f[k]
        }
        printf "%-9s %-15s %7s %9s %9s %9s %9s\n", "", "ours/devilspie2", "",
            ratio(figure[0, 5], figure[1, 5]), ratio(figure[0, 6], figure[1, 6]),
            ratio(figure[0, 7], figure[1, 7]), ratio(figure[0, 8], figure[1, 8])
    }
}' "$KIVO_PEER_WORK/results"
# Why windows were left out.
grep -v 'fd limit' "$KIVO_PEER_WORK/log" || true
