#!/usr/bin/env bash
# CPU use of the control panel in demo mode, idle on its Tune page for 30 s (after 5 s to start),
# as a percentage of one core. Uses the display there is, else a virtual X server (xvfb-run),
# else Qt's offscreen platform with a full-size screen.
#   bench/panel_idle_cpu.sh [build directory] [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-30}
panel="$build/panel/TarvexControl"
[ -x "$panel" ] || { echo "no $panel: build first" >&2; exit 1; }

settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
export XDG_CONFIG_HOME="$settings" XDG_RUNTIME_DIR="$settings"
cat > "$settings/screens.json" <<'JSON'
{ "screens": [ { "name": "bench", "x": 0, "y": 0, "width": 1920, "height": 1080,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }
JSON

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    "$panel" -demo 2>"$settings/log" & pid=$!
elif command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1920x1080x24" "$panel" -demo 2>"$settings/log" & wrapper=$!
    # xvfb-run starts the panel as its child.
    for _ in $(seq 50); do
        pid=$(pgrep -n -P "$wrapper" -x TarvexControl || true)
        [ -n "$pid" ] && break
        sleep 0.1
    done
else
    QT_QPA_PLATFORM="offscreen:configfile=$settings/screens.json" "$panel" -demo \
        2>"$settings/log" & pid=$!
fi
[ -n "${pid:-}" ] || { echo "the panel did not start" >&2; exit 1; }
stop() {
    kill "$pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap 'stop; rm -rf "$settings"' EXIT

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
sleep 5
before=$(ticks "$pid")
sleep "$seconds"
after=$(ticks "$pid")
hz=$(getconf CLK_TCK)
awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "TarvexControl -demo, idle %d s: %.2f%% of one core (%d ticks at %d Hz)\n", s, 100 * t / (hz * s), t, hz }'
