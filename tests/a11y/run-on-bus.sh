#!/usr/bin/env bash
# Runs an accessibility walk against the program on a private X server (Xvfb) with private
# session and accessibility buses, as a screen reader would see it. Exit 77 (skipped) when the
# machine lacks what the buses need; otherwise the walk's own status.
# Usage: run-on-bus.sh WALK.py ARGS...
set -uo pipefail
skip() { echo "SKIPPED: $*"; exit 77; }

python=""
for candidate in /usr/bin/python3 python3; do
  if "$candidate" -c 'import pyatspi' 2>/dev/null; then python="$candidate"; break; fi
done
[ -n "$python" ] || skip "python3 with pyatspi (package python3-pyatspi) not found"
command -v Xvfb >/dev/null || skip "Xvfb (package xvfb) not found"
command -v dbus-run-session >/dev/null || skip "dbus-run-session (package dbus) not found"
launcher=""
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
  [ -x "$candidate" ] && { launcher="$candidate"; break; }
done
[ -n "$launcher" ] || skip "at-spi-bus-launcher (package at-spi2-core) not found"

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# -displayfd picks a free display and writes its number once the server accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
[ -s "$work/display" ] || skip "the X server did not start: $(tail -n 3 "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"
export XDG_RUNTIME_DIR="$work"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS

dbus-run-session -- "$python" "$@" --launcher "$launcher" 2> >(grep -v 'Failed to set fd limit' >&2)
