#!/usr/bin/env bash
# The user-interface budgets, measured side by side on one private X server (Xvfb), once for each
# card state of UI_BUDGET_STATES:
#   not-connected       no network the "<Default>" profile may join (only secured ones around);
#                       the supervisor's Auto Link check and prefer-list walk run every 5 s
#   connected           the simulated card's built-in environment: "<Default>" joins the open
#                       access point at start, as for a user; Auto Link off in Tembrel.ini
#   connected-autolink  the same with Auto Link on (the settings file's default)
# The script checks over the simulated card's control socket (tembrelctl status) that the card is
# in the state named, before and after each idle phase, and stops with status 2 otherwise.
# For each state:
#   - start-up: launch until the window is viewable (median of UI_BUDGET_STARTS launches each),
#   - resident memory (VmRSS) a few seconds after start,
#   - CPU and wake-ups over UI_BUDGET_IDLE_SECONDS of idling with the window shown on its first
#     page (Network Status), then hidden by closing it (WM_DELETE_WINDOW, as the close button
#     does: with its icon in the notification area, which tools/x11_window provides on the
#     private display, the utility hides instead of ending). CPU is the run time of every thread
#     (schedstat, in ns: clock ticks of 10 ms are too coarse for 0.03 %); a wake-up is a voluntary
#     context switch of any thread (it slept and was woken: /proc/PID/task/*/status). Involuntary
#     switches (preemption by other programs) grow with the machine's load, not with the
#     program's, and are printed apart.
#   - exit: SIGTERM until the process is gone, and Data.cfg written into its configuration folder.
# The reference is tools/bare_tabs --tick: a bare Qt 6 window with as many tabs as the main
# window has pages and a label repainted every second. Budgets: start-up <= 1.1 x the bare
# window, memory <= bare + 3 MiB, idle CPU shown <= the bare window's, <= 4 wake-ups/s shown,
# hidden <= 0.03 % and <= 0.5 wake-ups/s, SIGTERM to end <= 0.3 s with the profiles saved.
# Exit status 1 when a budget is missed, 2 when the measurement failed.
#
# Environment: UI_BUDGET_BUILD_DIR (default build/release), UI_BUDGET_STATES (default
# "not-connected connected connected-autolink"), UI_BUDGET_STARTS (5), UI_BUDGET_IDLE_SECONDS
# (60), UI_BUDGET_SETTLE_SECONDS (3), UI_BUDGET_DATA_CFG (a profile store copied into the
# utility's fresh configuration folder), UI_BUDGET_SIM_ENVIRONMENT (the simulated card's radio
# environment for every state, instead of the script's choice).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${UI_BUDGET_BUILD_DIR:-build/release}"
states="${UI_BUDGET_STATES:-not-connected connected connected-autolink}"
starts="${UI_BUDGET_STARTS:-5}"
idle="${UI_BUDGET_IDLE_SECONDS:-60}"
settle="${UI_BUDGET_SETTLE_SECONDS:-3}"
title="Orvix LX-7700 Utility"
bare_title="Bare Qt Tabs"
for state in $states; do
  case "$state" in
    not-connected | connected | connected-autolink) ;;
    *) echo "unknown state \"$state\" in UI_BUDGET_STATES" >&2; exit 2 ;;
  esac
done

. bench/private_display.sh
bench_build "$build" tembrel_program tembrel_sim tembrelctl tembrel_gallery bare_tabs x11_window
bench_scratch

tabs="$(QT_QPA_PLATFORM=offscreen "$bin/tembrel_gallery" --list-pages 2>/dev/null | wc -l)"
[ "$tabs" -gt 0 ] || { echo "cannot count the pages of the main window" >&2; exit 2; }

# A private display; -displayfd picks a free number.
bench_display
# The control socket answers tembrelctl; its thread sleeps in poll() between requests.
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$tmp/run" TEMBREL_SIM_SOCKET="$tmp/run/sim.sock"
# A notification area, as on a desktop: without one, closing the utility's window ends it.
"$bin/x11_window" tray >"$tmp/tray" 2>>"$log" &
pids+=($!)
for _ in $(seq 100); do grep -q ready "$tmp/tray" && break; sleep 0.05; done
grep -q ready "$tmp/tray" || { echo "the notification area did not start; see below" >&2; cat "$log" >&2; exit 2; }
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Not connected: secured networks only, whose keys no profile holds, and no Auto Link access
# point (its dialog would hide the main window).
cat >"$tmp/secured.json" <<'JSON'
{
  "networks": [
    {"ssid": "Lab-WEP64", "bssid": "00:0C:41:7E:00:0B", "channel": 11, "security": "wep-open",
     "key": "1234567890", "signal": -68},
    {"ssid": "Home-WPA", "bssid": "00:0C:41:7E:00:09", "channel": 9, "security": "wpa-psk",
     "passphrase": "orvix-passphrase", "signal": -60},
    {"ssid": "Home-WPA2", "bssid": "00:0C:41:7E:00:04", "channel": 4, "security": "wpa2-psk",
     "passphrase": "correct horse battery", "signal": -64}
  ]
}
JSON

# launch TITLE CMD...: sets launched_pid and launched_ms.
launch() {
  local title="$1" out status=0
  shift
  out="$("$bin/x11_window" launch "$title" 30000 "$@" 2>>"$log")" || status=$?
  launched_pid=""; launched_ms=""
  read -r launched_pid launched_ms <<<"$out" || true
  [ -z "$launched_pid" ] || pids+=("$launched_pid")
  if [ "$status" -ne 0 ]; then
    echo "no window \"$title\"; log:" >&2
    cat "$log" >&2
    exit 2
  fi
}
run=0
config=""
launch_utility() {  # a fresh configuration folder for every start
  run=$((run + 1))
  config="$tmp/config$run"
  mkdir -p "$config"
  [ -z "${UI_BUDGET_DATA_CFG:-}" ] || cp "$UI_BUDGET_DATA_CFG" "$config/Data.cfg"
  [ "$state" != connected ] || printf '[Advanced]\nAutoLink=0\n' >"$config/Tembrel.ini"
  launch "$title" "$bin/Tembrel" --driver "$bin/libTembrel.so" --config-dir "$config"
}
launch_bare() { launch "$bare_title" "$bin/bare_tabs" "$tabs" --tick; }
forget() {
  local kept=() p
  for p in "${pids[@]}"; do [ "$p" = "$1" ] || kept+=("$p"); done
  pids=("${kept[@]}")
}
gone() { [ ! -e "/proc/$1" ] || [ "$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)" = Z ]; }
stop() {  # TERM, then wait (bounded) for the process to go
  local pid="$1"
  forget "$pid"
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 100); do gone "$pid" && return 0; sleep 0.05; done
  kill -KILL "$pid" 2>/dev/null || true
}
# stop_timed PID: TERM and the milliseconds until the process is gone (polled every 5 ms).
stop_timed() {
  local pid="$1" t0 t1
  forget "$pid"
  t0="$(date +%s%N)"
  kill -TERM "$pid"
  for _ in $(seq 2000); do gone "$pid" && break; sleep 0.005; done
  t1="$(date +%s%N)"
  gone "$pid" || { kill -KILL "$pid" 2>/dev/null || true; echo 10000; return; }
  echo $(((t1 - t0) / 1000000))
}
# The simulated card's link, as it reports it: "associated" or something else.
card_link() { "$bin/tembrelctl" status 2>>"$log" | sed -n 's/^link: \([a-z-]*\).*/\1/p'; }
check_state() {
  local link want=associated
  link="$(card_link)"
  [ "$state" != not-connected ] || want=""
  if { [ -n "$want" ] && [ "$link" != associated ]; } || { [ -z "$want" ] && [ "$link" = associated ]; }; then
    echo "state $state: the simulated card's link is \"$link\" $1" >&2
    "$bin/tembrelctl" status >&2 || true
    exit 2
  fi
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
# Clock ticks used by all threads of the process so far, ended ones included (fields after the
# command name).
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
# threads PID: one line per live thread: id, name, clock ticks, run time (ns), voluntary and
# involuntary context switches.
threads() {
  local task
  for task in /proc/"$1"/task/*; do
    printf '%s\t%s\t%s\t%s\t%s\n' "${task##*/}" "$(cat "$task/comm")" \
      "$(sed 's/.*) //' "$task/stat" | awk '{ print $12 + $13 }')" \
      "$(awk '{ print $1 }' "$task/schedstat")" \
      "$(awk '/^voluntary_ctxt_switches:/ { v = $2 } /^nonvoluntary_ctxt_switches:/ { n = $2 } END { printf "%d\t%d", v, n }' "$task/status")"
  done 2>/dev/null
}
# delta BEFORE AFTER: per thread "id name ticks ns voluntary involuntary" between two lists;
# a thread that started meanwhile counts from zero, one that ended meanwhile is missing (its
# clock ticks still count in cpu_ticks).
delta() {
  awk -F'\t' 'NR == FNR { t[$1] = $3; n[$1] = $4; w[$1] = $5; p[$1] = $6; next }
              { printf "%s\t%s\t%d\t%.0f\t%d\t%d\n", $1, $2, $3 - t[$1], $4 - n[$1], $5 - w[$1], $6 - p[$1] }' "$1" "$2"
}
hz="$(getconf CLK_TCK)"
# From a delta file: CPU in % of one core, wake-ups and preemptions per second.
percent() { awk -F'\t' -v s="$idle" '{ n += $4 } END { printf "%.3f", 100 * n / 1e9 / s }' "$1"; }
wakeups() { awk -F'\t' -v s="$idle" '{ w += $5 } END { printf "%.2f", w / s }' "$1"; }
preemptions() { awk -F'\t' -v s="$idle" '{ w += $6 } END { printf "%.2f", w / s }' "$1"; }
verdict() { awk -v v="$1" -v limit="$2" 'BEGIN { print (v <= limit) ? "ok" : "OVER" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }'; }
row() { printf '%-38s %12s %12s %8s %-18s %s\n' "$@"; }

echo "main window: $tabs pages; bare window: $tabs tabs and a label repainted every second; display $DISPLAY"
all_ok=1

measure() {
  state="$1"
  local out="$tmp/$state"
  mkdir -p "$out"
  if [ -n "${UI_BUDGET_SIM_ENVIRONMENT:-}" ]; then
    export TEMBREL_SIM_ENVIRONMENT="$UI_BUDGET_SIM_ENVIRONMENT"
  elif [ "$state" = not-connected ]; then
    export TEMBREL_SIM_ENVIRONMENT="$tmp/secured.json"
  else
    unset TEMBREL_SIM_ENVIRONMENT
  fi
  echo
  echo "== $state (load average $(cut -d' ' -f1-3 /proc/loadavg))"

  # Start-up: one unmeasured launch of each warms the caches, then alternate.
  launch_bare; stop "$launched_pid"
  launch_utility; stop "$launched_pid"
  : >"$out/start.bare"; : >"$out/start.utility"
  for _ in $(seq "$starts"); do
    launch_bare; echo "$launched_ms" >>"$out/start.bare"; stop "$launched_pid"
    launch_utility; echo "$launched_ms" >>"$out/start.utility"; stop "$launched_pid"
  done
  local start_bare start_utility
  start_bare="$(median <"$out/start.bare")"
  start_utility="$(median <"$out/start.utility")"

  # Memory and idle CPU: both programs running side by side.
  launch_bare; local bare_pid="$launched_pid"
  launch_utility; local utility_pid="$launched_pid" utility_config="$config"
  sleep "$settle"
  local rss_bare rss_utility
  rss_bare="$(rss_kib "$bare_pid")"
  rss_utility="$(rss_kib "$utility_pid")"
  check_state "after start"

  echo "idling ${idle} s with both windows shown..."
  local t0 t1
  threads "$bare_pid" >"$out/bare0"; threads "$utility_pid" >"$out/shown0"; t0="$(cpu_ticks "$utility_pid")"
  sleep "$idle"
  threads "$bare_pid" >"$out/bare1"; threads "$utility_pid" >"$out/shown1"; t1="$(cpu_ticks "$utility_pid")"
  check_state "at the end of the shown phase"
  delta "$out/bare0" "$out/bare1" >"$out/bare"; delta "$out/shown0" "$out/shown1" >"$out/shown"
  local cpu_bare wake_bare cpu_shown wake_shown ticks_shown
  cpu_bare="$(percent "$out/bare")"; wake_bare="$(wakeups "$out/bare")"
  cpu_shown="$(percent "$out/shown")"; wake_shown="$(wakeups "$out/shown")"; ticks_shown=$((t1 - t0))

  "$bin/x11_window" close "$title" || { echo "the main window was no longer shown at the end of the shown phase" >&2; exit 2; }
  for _ in $(seq 100); do "$bin/x11_window" find "$title" >/dev/null || break; sleep 0.05; done
  if "$bin/x11_window" find "$title" >/dev/null; then echo "the main window did not hide when closed" >&2; exit 2; fi
  kill -0 "$utility_pid" 2>/dev/null || { echo "the utility ended when its window was closed" >&2; exit 2; }
  sleep "$settle"
  echo "idling ${idle} s with the main window hidden..."
  threads "$utility_pid" >"$out/hidden0"; t0="$(cpu_ticks "$utility_pid")"
  sleep "$idle"
  threads "$utility_pid" >"$out/hidden1"; t1="$(cpu_ticks "$utility_pid")"
  check_state "at the end of the hidden phase"
  delta "$out/hidden0" "$out/hidden1" >"$out/hidden"
  local cpu_hidden wake_hidden ticks_hidden exit_ms saved=no
  cpu_hidden="$(percent "$out/hidden")"; wake_hidden="$(wakeups "$out/hidden")"; ticks_hidden=$((t1 - t0))
  exit_ms="$(stop_timed "$utility_pid")"
  [ ! -s "$utility_config/Data.cfg" ] || saved=yes
  stop "$bare_pid"

  local r_start d_rss v_start v_rss v_shown v_wake_shown v_hidden v_wake_hidden v_exit
  r_start="$(ratio "$start_utility" "$start_bare")"
  d_rss=$((rss_utility - rss_bare))
  v_start="$(verdict "$r_start" 1.1)"; v_rss="$(verdict "$d_rss" 3072)"
  v_shown="$(verdict "$cpu_shown" "$cpu_bare")"; v_wake_shown="$(verdict "$wake_shown" 4)"
  v_hidden="$(verdict "$cpu_hidden" 0.03)"; v_wake_hidden="$(verdict "$wake_hidden" 0.5)"
  v_exit="$(verdict "$exit_ms" 300)"; [ "$saved" = yes ] || v_exit=OVER

  echo
  row "measure ($state)" "utility" "bare Qt" "vs bare" "budget" "verdict"
  row "start-up to window (ms, median)" "$start_utility" "$start_bare" "x$r_start" "<= 1.1 x bare" "$v_start"
  row "resident memory (KiB)" "$rss_utility" "$rss_bare" "+$d_rss" "<= bare + 3072" "$v_rss"
  row "idle CPU, shown (% of a core)" "$cpu_shown" "$cpu_bare" "-" "<= bare" "$v_shown"
  row "wake-ups, shown (per s)" "$wake_shown" "$wake_bare" "-" "<= 4" "$v_wake_shown"
  row "idle CPU, hidden (% of a core)" "$cpu_hidden" "-" "-" "<= 0.03 %" "$v_hidden"
  row "wake-ups, hidden (per s)" "$wake_hidden" "-" "-" "<= 0.5" "$v_wake_hidden"
  row "SIGTERM to end (ms; profiles saved)" "$exit_ms ($saved)" "-" "-" "<= 300, saved" "$v_exit"
  echo
  echo "start-up samples (ms): utility $(paste -sd' ' "$out/start.utility"); bare $(paste -sd' ' "$out/start.bare")"
  echo "clock ticks of 1/$hz s over all threads, ended ones included: shown $ticks_shown, hidden $ticks_hidden (the figures above leave out threads that ended meanwhile)"
  echo "involuntary context switches (preemption; grows with the machine's load) per second: shown $(preemptions "$out/shown") (bare $(preemptions "$out/bare")), hidden $(preemptions "$out/hidden")"
  # Which threads of the utility used the CPU or woke up.
  local phase
  for phase in shown hidden; do
    echo "utility threads while $phase (run time in ms, wake-ups, preemptions; quiet threads left out):"
    awk -F'\t' -v main="$utility_pid" '$4 > 0 || $5 > 0 { printf "  %-8s %-16s %8.1f %6d %6d%s\n", $1, $2, $4 / 1e6, $5, $6, ($1 == main) ? "  (main thread)" : "" }' "$out/$phase"
  done
  [ "$v_start $v_rss $v_shown $v_wake_shown $v_hidden $v_wake_hidden $v_exit" = "ok ok ok ok ok ok ok" ] || all_ok=0
}

for s in $states; do measure "$s"; done
echo
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
[ "$all_ok" -eq 1 ]
