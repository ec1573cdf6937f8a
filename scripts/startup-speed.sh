#!/usr/bin/env bash
# Measures how long the calculator takes from process start until its main
# window is mapped, and its resident memory 1 s after start, side by side
# with a bare Qt window (one QLineEdit, built here with the same compiler
# and Qt): in every round the bare window, the calculator with the update
# check at start switched off and the calculator with it switched on start
# one after the other, so that the machine's load weighs on all three alike.
# With the check on, the maker's web host accepts connections and never
# answers; the check runs in the background, so it should cost the start
# nothing visible.
# Usage: scripts/startup-speed.sh [binary] [rounds]
# Reports each run, then the medians and their ratios to the bare window.
# Works on a copy of the binary in a throw-away folder, so that no settings,
# history or language choice of the build folder is touched. Needs Xvfb,
# xdotool, python3, ip, unshare (user, mount and network namespaces: the
# maker's host name is pointed at a silent listener on this machine's own
# loopback, which nothing outside sees), g++ and pkg-config with Qt6Widgets.
set -euo pipefail

if [ -z "${TANDOREL_STARTUP_NS:-}" ]; then
  for tool in Xvfb xdotool python3 ip unshare g++ pkg-config; do
    command -v "$tool" >/dev/null || { echo "startup-speed: $tool is missing" >&2; exit 1; }
  done
  bin=$(realpath "${1:-build/tandorel}")
  exec unshare --map-root-user --mount --net env TANDOREL_STARTUP_NS=1 "$0" "$bin" "${2:-17}"
fi

bin=$1
runs=$2
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
# One program folder per setting of the update check. Each keeps the
# settings that the program writes at exit (it is ended as a session end
# ends it), so that after the first round every start is a usual one, with
# the language file chosen and the user id made.
for check in 0 1; do
  mkdir "$work/app$check"
  cp "$bin" "$work/app$check/tandorel"
  # The program's own modules and data beside it, as installed.
  for extra in lang "$(basename "$bin")"-*.so libtandorel_*.so; do
    for f in "$(dirname "$bin")"/$extra; do
      [ -e "$f" ] && cp -r "$f" "$work/app$check/"
    done
  done
  printf '[Settings]\r\nCheckUpdatesAtStart=%s\r\n' "$check" >"$work/app$check/settings.ini"
done

cat >"$work/bare.cpp" <<'EOF'
#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLineEdit(&window));
    window.show();
    return app.exec();
}
EOF
# shellcheck disable=SC2046
g++ -std=c++17 -O2 -fPIC -o "$work/bare" "$work/bare.cpp" $(pkg-config --cflags --libs Qt6Widgets)

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
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

# One start of a program: prints "ms cpu_ms rss_kB".
measure() {
  local title=$1
  shift
  local start end pid cpu rss
  start=$(date +%s%N)
  "$@" >/dev/null 2>"$work/errors" &
  pid=$!
  # Polled by hand: the --sync option of xdotool checks only twice a second.
  until xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || {
      echo "startup-speed: $1 ended before its window showed:" >&2
      cat "$work/errors" >&2
      exit 1
    }
  done
  end=$(date +%s%N)
  # Processor time used until then (user + system, clock ticks).
  cpu=$(awk '{print $14 + $15}' /proc/$pid/stat)
  local left=$((1000000000 - ($(date +%s%N) - start)))
  [ "$left" -gt 0 ] && sleep "$(awk -v n="$left" 'BEGIN {printf "%.3f", n / 1e9}')"
  rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "$(((end - start) / 1000000)) $((cpu * 1000 / $(getconf CLK_TCK))) $rss"
}

names=("bare Qt window" "Tandorel, update check off" "Tandorel, update check on")
declare -A times cpus rsss
for i in $(seq "$runs"); do
  for v in 0 1 2; do
    if [ "$v" = 0 ]; then
      read -r ms cpu rss < <(measure '^Bare Qt window$' "$work/bare")
    else
      read -r ms cpu rss < <(measure '^Tandorel 1\.10$' "$work/app$((v - 1))/tandorel")
    fi
    times[$v]+="$ms "
    cpus[$v]+="$cpu "
    rsss[$v]+="$rss "
    echo "run $i, ${names[$v]}: mapped after $ms ms (processor $cpu ms), VmRSS 1 s after start $((rss / 1024)).$(((rss % 1024) * 10 / 1024)) MB"
  done
done

echo
for v in 0 1 2; do
  t[$v]=$(printf '%s\n' ${times[$v]} | median)
  c[$v]=$(printf '%s\n' ${cpus[$v]} | median)
  r[$v]=$(printf '%s\n' ${rsss[$v]} | median)
done
for v in 0 1 2; do
  line="${names[$v]}: median over $runs runs: mapped after ${t[$v]} ms, processor ${c[$v]} ms, VmRSS $(awk -v k="${r[$v]}" 'BEGIN {printf "%.1f", k / 1024}') MB"
  [ "$v" != 0 ] && line+=" (time $(ratio "${t[$v]}" "${t[0]}")x, memory $(ratio "${r[$v]}" "${r[0]}")x the bare window)"
  echo "$line"
done
echo "requests to the silent host held unanswered: $(wc -l <"$work/accepted")"
