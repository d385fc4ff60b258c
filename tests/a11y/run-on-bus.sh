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

# A display of its own, far from the usual numbers; Xvfb locks it (/tmp/.X<n>-lock), so that
# another X server started meanwhile does not take it over.
display=""
for _ in $(seq 20); do
  n=$((100 + RANDOM % 800))
  { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
  # -noreset: the server must not reset when the bus launcher, its first client, lets go.
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -S "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -S "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    display=":$n"
    break
  fi
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
done
[ -n "$display" ] || skip "the X server did not start: $(tail -n 3 "$work/xvfb.log")"
export DISPLAY="$display"
export XDG_RUNTIME_DIR="$work"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS

dbus-run-session -- "$python" "$@" --launcher "$launcher" 2> >(grep -v 'Failed to set fd limit' >&2)
status=$?
if [ "$status" -ne 0 ] && ! kill -0 "$xvfb_pid" 2>/dev/null; then
  echo "the X server $display ended during the walk: $(tail -n 3 "$work/xvfb.log")"
fi
exit "$status"
