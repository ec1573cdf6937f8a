#!/usr/bin/env bash
# Measures how long the calculator takes from process start until its main
# window is mapped, and its resident memory right after, under a private
# Xvfb display: first with the update check at start switched off, then
# switched on while the maker's web host accepts connections and never
# answers. The check runs in the background, so both medians should match.
# Usage: scripts/startup-speed.sh [binary] [runs]
# Works on a copy of the binary in a throw-away folder, so that no settings,
# history or language choice of the build folder is touched. Needs Xvfb,
# xdotool, python3, ip and unshare (user, mount and network namespaces: the
# maker's host name is pointed at a silent listener on this machine's own
# loopback, which nothing outside sees).
set -euo pipefail

if [ -z "${TANDOREL_STARTUP_NS:-}" ]; then
  for tool in Xvfb xdotool python3 ip unshare; do
    command -v "$tool" >/dev/null || { echo "startup-speed: $tool is missing" >&2; exit 1; }
  done
  bin=$(realpath "${1:-build/tandorel}")
  exec unshare --map-root-user --mount --net env TANDOREL_STARTUP_NS=1 "$0" "$bin" "${2:-10}"
fi

bin=$1
runs=$2
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$bin" "$work/tandorel"
[ -d "$(dirname "$bin")/lang" ] && cp -r "$(dirname "$bin")/lang" "$work/"

# The maker's host (the program's update page) on a loopback that accepts
# every connection and never sends a byte.
ip link set lo up
printf '127.0.0.1 localhost\n127.0.0.1 www.tandorel.org\n' >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts
python3 -c '
import socket, sys
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", 80)); s.listen(64)
held = []
while True:
    held.append(s.accept()[0])
    with open(sys.argv[1], "a") as log: log.write("accepted\n")
' "$work/accepted" &
pids+=($!)
until python3 -c 'import socket; socket.create_connection(("www.tandorel.org", 80), 1)' 2>/dev/null; do sleep 0.1; done
sleep 0.2
: >"$work/accepted"

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display QT_QPA_PLATFORM=xcb
until xdotool getmouselocation >/dev/null 2>&1; do sleep 0.1; done

median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : int((a[NR / 2] + a[NR / 2 + 1]) / 2)}'; }

for check in 0 1; do
  times=()
  for i in $(seq "$runs"); do
    printf '[Settings]\r\nCheckUpdatesAtStart=%s\r\n' "$check" >"$work/settings.ini"
    start=$(date +%s%N)
    "$work/tandorel" >/dev/null 2>&1 &
    pid=$!
    # Polled by hand: the --sync option of xdotool checks only twice a second.
    until xdotool search --onlyvisible --name '^Tandorel 1\.10$' >/dev/null 2>&1; do
      kill -0 "$pid" 2>/dev/null || { echo "startup-speed: the program ended before its window showed" >&2; exit 1; }
    done
    end=$(date +%s%N)
    # Processor time used until then (user + system, clock ticks).
    cpu=$(awk '{print $14 + $15}' /proc/$pid/stat)
    sleep 0.3
    rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
    ms=$(( (end - start) / 1000000 ))
    times+=("$ms")
    echo "update check $check, run $i: mapped after $ms ms (processor $((cpu * 1000 / $(getconf CLK_TCK))) ms), VmRSS $((rss / 1024)) MB"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  done
  echo "update check $check: median $(printf '%s\n' "${times[@]}" | median) ms over $runs runs;" \
    "requests held unanswered so far: $(wc -l <"$work/accepted")"
done
