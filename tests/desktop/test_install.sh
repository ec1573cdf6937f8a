#!/usr/bin/env bash
# Installs the built program into a throw-away prefix, checks the installed
# tree, then moves the tree, makes it read-only and runs the installed
# program there, ended as a logout ends it: its files must land in the
# user's folders. Exit code 77 (skipped) when no private mount namespace can
# be had for the read-only tree.
set -euo pipefail
build=$1
id=org.tandorel.Tandorel
work=$(mktemp -d "${TMPDIR:-/tmp}/tandorel-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null

[ -x "$work/prefix/bin/tandorel" ] || fail "no program in bin/"
for f in applications/$id.desktop metainfo/$id.metainfo.xml icons/hicolor/scalable/apps/$id.svg \
         tandorel/lang/English.txt tandorel/lang/Slovensky.txt tandorel/units/en/units.xml \
         tandorel/units/sk/units.xml tandorel/lib/geometry.xml tandorel/lib/physics.xml \
         tandorel/manual/en/manual.html tandorel/manual/sk/manual.html tandorel/manual/manual.css; do
  [ -s "$work/prefix/share/$f" ] || fail "share/$f is missing"
done
for size in 16 32 48 64 128 256; do
  png=$work/prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -s "$png" ] || fail "no ${size}x${size} icon"
  # Width and height are the big-endian words at bytes 16 and 20.
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "the ${size}x${size} icon is ${width}x${height}"
done
# The network module, loaded on first use, in the program's own library folder.
[ -n "$(find "$work/prefix" -path '*/lib*/tandorel/tandorel-network.so' -size +0)" ] ||
  fail "no network module in the library folder"
grep -qx "Icon=$id" "$work/prefix/share/applications/$id.desktop" || fail "the desktop entry names another icon"
# Build-tree files never ship.
[ ! -e "$work/prefix/bin/lang" ] && [ ! -e "$work/prefix/bin/settings.ini" ] || fail "data beside the installed binary"

if ! unshare -rm true 2>/dev/null; then
  echo "skipped: no private mount namespace (unshare -rm) for a read-only tree"
  exit 77
fi
mv "$work/prefix" "$work/moved"
mkdir -p "$work/home"
unshare -rm bash -s "$work/moved" "$work/home" <<'INNER'
set -euo pipefail
tree=$1 home=$2
mount --bind -o ro "$tree" "$tree"
if touch "$tree/probe" 2>/dev/null; then echo "FAIL: the tree is writable" >&2; exit 1; fi
export HOME=$home LC_ALL=C.UTF-8 LANGUAGE= QT_QPA_PLATFORM=offscreen
unset XDG_CONFIG_HOME XDG_DATA_HOME
"$tree/bin/tandorel" &
pid=$!
# Ended only once it listens for the signal, as it does from its start.
for _ in $(seq 200); do
  mask=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
  [ -n "$mask" ] && (( (16#$mask >> 14) & 1 )) && break
  sleep 0.05
done
sleep 0.5
kill -TERM "$pid"
for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; echo "FAIL: the program did not end (a message at exit?)" >&2; exit 1; fi
wait "$pid" || { echo "FAIL: the program ended with $?" >&2; exit 1; }
grep -q '^LanguageFile=lang/English.txt' "$home/.config/tandorel/settings.ini" ||
  { echo "FAIL: no settings in the user's folder" >&2; exit 1; }
[ -f "$home/.local/share/tandorel/history.dat" ] || { echo "FAIL: no history in the user's folder" >&2; exit 1; }
cmp -s "$tree/share/tandorel/lib/geometry.xml" "$home/.local/share/tandorel/lib/geometry.xml" ||
  { echo "FAIL: the sample libraries were not copied for the user" >&2; exit 1; }
INNER
echo "installed, moved and run read-only"
