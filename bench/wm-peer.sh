#!/bin/sh
# SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
# SPDX-License-Identifier: GPL-2.0-or-later
# The daemon against devilspie2, on each window manager in one run: both get the same wish (no
# frame, above the others, 300x200 at 100,80) for windows that a program opens one after another,
# and bench-wm-peer follows each window from its first map until all of it is in place. Prints
# per window manager the medians and 95th percentiles, and their ratios daemon / devilspie2.
# Runnable by hand only: about two minutes with 25 windows each.
#
#   bench/wm-peer.sh                        # 25 windows, the six window managers
#   KIVO_PEER_WINDOWS=50 bench/wm-peer.sh openbox metacity
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
windows=${KIVO_PEER_WINDOWS:-25}
wms=${*:-openbox fluxbox icewm xfwm4 metacity jwm}

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
echo "Milliseconds. placed: windows all in place (of $windows); latency: first map to all in place;"
echo "wrong: viewable while not all in place; 0 ms: windows never seen so."
awk '
function ratio(ours, theirs) {
    if (ours < 0 || theirs < 0) return "n/a"
    if (theirs == 0) return ours == 0 ? "1 (0/0)" : "inf"
    return sprintf("%.2f", ours / theirs)
}
{ tool = $2 == "devilspie2" ? "peer" : "ours"; row[$1, tool] = $0; if (!seen[$1]++) order[++n] = $1 }
END {
    printf "%-9s %-15s %7s %9s %9s %9s %9s %6s\n", "WM", "tool", "placed", "lat. 50",
        "lat. 95", "wrong 50", "wrong 95", "0 ms"
    for (i = 1; i <= n; i++) {
        for (t = 1; t <= 2; t++) {
            split(row[order[i], t == 1 ? "ours" : "peer"], f, " ")
            if (f[4] == 0)
                printf "%-9s %-15s %3d/%-3d %s\n", f[1], f[2], f[4], f[3], "never all in place"
            else
                printf "%-9s %-15s %3d/%-3d %9.2f %9.2f %9.2f %9.2f %5.0f%%\n", f[1], f[2], f[4],
                    f[3], f[5], f[6], f[7], f[8], 100 * f[9] / f[4]
            if (t == 1) { for (k = 4; k <= 9; k++) ours[k] = f[4] ? f[k] : -1 }
            else { for (k = 4; k <= 9; k++) peer[k] = f[4] ? f[k] : -1 }
        }
        printf "%-9s %-15s %7s %9s %9s %9s %9s\n", "", "ours/devilspie2", "",
            ratio(ours[5], peer[5]), ratio(ours[6], peer[6]), ratio(ours[7], peer[7]),
            ratio(ours[8], peer[8])
    }
}' "$KIVO_PEER_WORK/results"
# Why windows were left out.
grep -v 'fd limit' "$KIVO_PEER_WORK/log" || true
