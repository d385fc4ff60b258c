#!/usr/bin/env bash
# The end of the session with a dialog open: the utility runs on a private X server (Xvfb)
# against the simulated card, a dialog is opened as a user would (keys typed into the window, or
# an Auto Link access point brought into range), then SIGTERM is sent. Measured: the time from
# the signal until the process has ended (the script is its parent and reaps it), and that
# Data.cfg was written. Budget: <= 300 ms for every dialog. The median of EXIT_BUDGET_RUNS runs
# per dialog.
# Exit status 1 when a budget is missed or Data.cfg was not written, 2 when the measurement failed.
#
# Environment: EXIT_BUDGET_BUILD_DIR (default build/release), EXIT_BUDGET_RUNS (5).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${EXIT_BUDGET_BUILD_DIR:-build/release}"
runs="${EXIT_BUDGET_RUNS:-5}"
budget_ms=300
title="Orvix LX-7700 Utility"

. bench/private_display.sh
bench_build "$build" tembrel_program tembrel_sim tembrelctl x11_window
bench_scratch

bench_display
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$tmp"
export TEMBREL_SIM_SOCKET="$tmp/sim.sock"

now_ns() { date +%s%N; }

# Waits until $2 (default 1) windows with the title $1 are viewable; status 1 after 20 s.
await_window() {
  for _ in $(seq 400); do
    [ "$("$bin/x11_window" find "$1" | wc -l)" -ge "${2:-1}" ] && return 0
    sleep 0.05
  done
  return 1
}

# A radio environment with one unconfigured Auto Link access point in range and nothing else,
# so that the Auto Link dialog opens at start.
cat >"$tmp/autolink.json" <<'JSON'
{"networks": [{"ssid": "Setup", "bssid": "00:3A:7E:00:00:01", "channel": 2, "signal": -50,
               "autoLink": {"state": 0, "tag": 33, "pin": "12345678"}}]}
JSON

# One run: prints the milliseconds from SIGTERM to the end, or "-" and a reason on standard error.
# $1 dialog title, $2 how many windows have it once the dialog is open, $3 environment ("default"
# or "autolink"), then pairs of a window and the keys typed into it.
run_once() {
  local dialog="$1" count="$2" environment="$3" data="$tmp/data" pid window keys
  shift 3
  rm -rf "$data" && mkdir -p "$data" && : >"$data/old.cfg"
  if [ "$environment" = autolink ]; then export TEMBREL_SIM_ENVIRONMENT="$tmp/autolink.json"; else unset TEMBREL_SIM_ENVIRONMENT; fi
  # File dialogs open on the current folder: the data folder, where Data.cfg is.
  (cd "$data" && exec "$bin/Tembrel" --driver "$bin/libTembrel.so" --config-dir "$data" 2>>"$log") &
  pid=$!
  pids+=("$pid")
  while [ $# -ge 2 ]; do
    window="$1" keys="$2"
    shift 2
    [ -n "$keys" ] || continue
    if ! await_window "$window"; then echo "\"$window\" did not appear" >&2; kill -KILL "$pid"; wait "$pid" 2>/dev/null; echo -; return; fi
    # shellcheck disable=SC2086
    "$bin/x11_window" keys "$window" $keys 2>>"$log"
  done
  if ! await_window "$dialog" "$count"; then echo "\"$dialog\" did not open" >&2; kill -KILL "$pid"; wait "$pid" 2>/dev/null; echo -; return; fi
  rm -f "$data/Data.cfg"
  local start end
  start=$(now_ns)
  kill -TERM "$pid"
  wait "$pid" 2>/dev/null || true
  end=$(now_ns)
  if [ ! -s "$data/Data.cfg" ]; then echo "Data.cfg was not written" >&2; echo -; return; fi
  echo $(((end - start) / 1000000))
}

# Each row: the dialog's window title | how many windows have that title with it open |
# environment | a window | the keys typed into it [| a second window | its keys].
pages_to_admin="ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab"
pin="1 2 3 4 5 6 7 8"
rows=(
  "Create New Profile|1|default|$title|ctrl+Tab alt+c"
  "Open|1|default|$title|$pages_to_admin alt+i"
  "Save As|1|default|$title|$pages_to_admin alt+e"
  "Auto Link|1|autolink||"
  " 4 seconds remaining...|1|autolink|Auto Link|$pin Tab $pin Return"
  # Export over an existing file: the file dialog asks whether to replace it.
  "Save As|2|default|$title|$pages_to_admin alt+e|Save As|o l d Return"
)

status=0
printf '%-30s %10s %10s\n' "dialog open" "median ms" "budget ms"
for row in "${rows[@]}"; do
  IFS='|' read -r -a fields <<<"$row"
  dialog="${fields[0]}" count="${fields[1]}"
  times=()
  for _ in $(seq "$runs"); do times+=("$(run_once "${fields[@]}")"); done
  if printf '%s\n' "${times[@]}" | grep -qx -- -; then
    printf '%-30s %10s %10s  (failed; see above)\n' "$dialog ($count)" - "$budget_ms"
    status=1
    continue
  fi
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
  mark=""
  [ "$median" -le "$budget_ms" ] || { mark="  over budget"; status=1; }
  printf '%-30s %10s %10s%s\n' "$dialog ($count)" "$median" "$budget_ms" "$mark"
done
exit "$status"
