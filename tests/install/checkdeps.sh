#!/bin/sh
# SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
# SPDX-License-Identifier: GPL-2.0-or-later
# scripts/deps against a stand-in apt-get that finds the package lock held the first times, on a
# machine where every package is missing: it waits for the lock and says so, gives up after its
# bound with apt's message, and with --run asks only for what building and running need.
#   checkdeps.sh SCRIPTS_DEPS
set -eu
deps=$1
work=$(mktemp -d /tmp/kivo-checkdeps-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'FAKE'
#!/bin/sh
tries=$(cat "$FAKE_APT/tries" 2>/dev/null || echo 0)
echo $((tries + 1)) >"$FAKE_APT/tries"
if [ "$tries" -lt "$FAKE_APT_LOCKED" ]; then
    echo "E: Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 1 (apt-get)" >&2
    exit 100
fi
echo "$*" >>"$FAKE_APT/calls"
FAKE
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/sleep"
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" FAKE_APT="$work"

failures=0
check() {
    name=$1 locked=$2 limit=$3 expected=$4 option=$5
    rm -f "$work/tries" "$work/calls"
    status=0
    FAKE_APT_LOCKED=$locked KIVO_APT_LOCK_TIMEOUT=$limit "$deps" $option >"$work/out" 2>"$work/err" \
        || status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL: $name: status $status, expected $expected" >&2
        cat "$work/err" >&2
        failures=$((failures + 1))
        return 1
    fi
    echo "PASS: $name"
}
expect() {
    grep -q -- "$2" "$3" || {
        echo "FAIL: $1: no \"$2\" in $(cat "$3")" >&2
        failures=$((failures + 1))
    }
}
refuse() {
    ! grep -q -- "$2" "$3" || {
        echo "FAIL: $1: \"$2\" in $(cat "$3")" >&2
        failures=$((failures + 1))
    }
}

if check "lock held a while" 3 300 0 ""; then
    expect "lock held a while" "Waiting for another apt run" "$work/err"
    expect "lock held a while" "install .*lintian" "$work/calls"
fi
if check "lock held past the bound" 1000 10 1 ""; then
    expect "lock held past the bound" "Could not get lock" "$work/err"
    expect "lock held past the bound" "still holds the package lock after 10 seconds" "$work/err"
fi
if check "what running needs" 0 300 0 --run; then
    expect "what running needs" "install .*qtbase5-dev" "$work/calls"
    refuse "what running needs" "lintian\|qt6-base-dev\|clang-format" "$work/calls"
fi
[ "$failures" -eq 0 ]
