#!/usr/bin/env bash
# Measures how long the calculator takes from process start until its main
# window is mapped, and its resident memory right after, under a private
# Xvfb display. Usage: scripts/startup-speed.sh [binary] [runs]
# Works on a copy of the binary in a throw-away folder, so that no settings,
# history or language choice of the build folder is touched.
set -euo pipefail
bin=${1:-build/tandorel}
runs=${2:-10}
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$bin" "$work/tandorel"
[ -d "$(dirname "$bin")/lang" ] && cp -r "$(dirname "$bin")/lang" "$work/"
printf '[Settings]\r\nCheckUpdatesAtStart=0\r\n' >"$work/settings.ini"

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display QT_QPA_PLATFORM=xcb

for i in $(seq "$runs"); do
  start=$(date +%s%N)
  "$work/tandorel" >/dev/null 2>&1 &
  pid=$!
  # Polled by hand: the --sync option of xdotool checks only twice a second.
  until xdotool search --onlyvisible --name '^Tandorel 1\.10$' >/dev/null 2>&1; do :; done
  end=$(date +%s%N)
  # Processor time used until then (user + system, clock ticks).
  cpu=$(awk '{print $14 + $15}' /proc/$pid/stat)
  sleep 0.3
  rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
  echo "run $i: mapped after $(( (end - start) / 1000000 )) ms (processor $((cpu * 1000 / $(getconf CLK_TCK))) ms), VmRSS $((rss / 1024)) MB"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
done
