#!/usr/bin/env bash
# install_missing waits for another package manager's lock, says so once, and
# then installs; it gives up with one line when the lock stays held.
set -euo pipefail
lib=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir "$work/bin"
# A machine where one package is missing, and apt-get only notes what it was asked.
cat >"$work/bin/dpkg-query" <<'SH'
#!/bin/sh
exit 1
SH
cat >"$work/bin/apt-get" <<SH
#!/bin/sh
echo "apt-get \$*" >>"$work/apt.log"
SH
chmod +x "$work/bin/"*
echo "some-package" >"$work/list.txt"
export PATH="$work/bin:$PATH" ZINTAVEL_PACKAGE_LOCKS="$work/lock"
touch "$work/lock"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Held for three seconds: the install waits for it, then runs.
flock "$work/lock" sleep 3 &
sleep 0.5
start=$(date +%s)
(tag=test; . "$lib"; install_missing "$work/list.txt") 2>"$work/err.txt" || fail "install_missing failed: $(cat "$work/err.txt")"
took=$(($(date +%s) - start))
[[ $took -ge 2 ]] || fail "did not wait for the lock ($took s)"
grep -q "waiting for it" "$work/err.txt" || fail "no word while waiting: $(cat "$work/err.txt")"
[[ $(grep -c "waiting for it" "$work/err.txt") -eq 1 ]] || fail "said more than once"
grep -q "install -y --no-install-recommends some-package" "$work/apt.log" || fail "apt-get was not run"
grep -q "DPkg::Lock::Timeout" "$work/apt.log" || fail "apt-get does not wait for a lock itself"
wait

# Held for longer than the limit: one line, exit 1, nothing installed.
rm -f "$work/apt.log"
flock "$work/lock" sleep 30 &
sleep 0.5
if (tag=test; ZINTAVEL_PACKAGE_LOCK_WAIT=2; . "$lib"; install_missing "$work/list.txt") 2>"$work/err.txt"; then
  fail "went on under a held lock"
fi
grep -q "still held after" "$work/err.txt" || fail "no line on giving up: $(cat "$work/err.txt")"
[[ ! -e "$work/apt.log" ]] || fail "apt-get ran under a held lock"
echo "ok"
