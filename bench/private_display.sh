# shellcheck shell=bash disable=SC2034
# Shared by the benches that run the utility on a private X server. Source it from the
# repository's root after `set -euo pipefail`; it defines:
#   bench_build BUILD_DIR TARGET...  configures a Release build when missing, builds the targets,
#                                    sets bin
#   bench_scratch                    a scratch folder (tmp), its log and the pids killed at exit
#   bench_display                    Xvfb on a free display (-displayfd), exports DISPLAY

# Xvfb is needed by the benches only; installed when missing.
if ! command -v Xvfb >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends xvfb >/dev/null
fi

bench_build() {
  local dir="$1"
  shift
  [ -f "$dir/CMakeCache.txt" ] ||
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEMBREL_BUILD_TESTS=OFF >/dev/null
  cmake --build "$dir" -j2 --target "$@" >/dev/null
  bin="$PWD/$dir/bin"
}

bench_scratch() {
  tmp="$(mktemp -d)"
  log="$tmp/log"
  pids=()
  trap bench_cleanup EXIT
}

bench_cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  rm -rf "$tmp"
}

bench_display() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>>"$log" &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
  [ -s "$tmp/display" ] || { echo "Xvfb did not start; see below" >&2; cat "$log" >&2; exit 2; }
  DISPLAY=":$(head -n1 "$tmp/display")"
  export DISPLAY
}
