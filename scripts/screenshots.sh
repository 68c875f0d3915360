#!/usr/bin/env bash
# Screenshots for the operator guide (docs/images/), taken on the demo season
# under Xvfb with homeplate-cg on 127.0.0.1, so that they show what the program
# really shows. Never the operator's own settings, never a non-loopback address.
#
# SCREEN=WIDTHxHEIGHT (default 1366x768) sets the size of the screen; the
# guide's own images are taken at the default size, others go under
# BUILD/screenshots/WIDTHxHEIGHT/.
set -euo pipefail
build=${1:-build}
root=$(pwd)
screen=${SCREEN:-1366x768}
bash scripts/install-deps.sh xvfb xauth imagemagick xdotool python3
export HOMEPLATE_LOOPBACK_ONLY=1
work=$(mktemp -d /tmp/homeplate-shots.XXXXXX)
if [ "$screen" = 1366x768 ]; then
  out="$root/docs/images"
else
  out="$root/$build/screenshots/$screen"
fi
mkdir -p "$out" "$work/templates"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
display=""
for n in $(seq 90 99); do
  if [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display :90-:99" >&2; exit 1; }
Xvfb "$display" -screen 0 "${screen}x24" >/dev/null 2>&1 & pids+=($!)
export DISPLAY=$display
sleep 1

cp cg/demo/demo.PRJ "$work/templates/"
connection="Provider=SQLite;Data Source=$work/demo.db"
"$build/src/shell/homeplate" --init-db "$connection" --demo >/dev/null
cgport=$(free_port)
"$build/cg/homeplate-cg" --listen "127.0.0.1:$cgport" --project "$work/templates/demo.PRJ" \
  --database "$connection" 2>"$work/cg.log" & pids+=($!)
cat > "$work/settings.ini" <<INI
[baseball]
qmr\\odbc="$connection"
qmr\\qpxserverip=127.0.0.1:$cgport
qmr\\prj=$work/templates/demo.PRJ
qmr\\prjpath=$work/templates/
INI
port=$(free_port)
"$build/src/shell/homeplate" --settings "$work/settings.ini" --remote "$port" --automation \
  2>"$work/homeplate.log" & pids+=($!)
for _ in $(seq 50); do grep -q "remote control on" "$work/homeplate.log" && break; sleep 0.1; done

# Each name the driver prints is photographed: the console's window alone,
# and for the preview also the CG's monitor.
coproc DRIVER { python3 scripts/screenshots.py "$port"; }
while read -r name <&"${DRIVER[0]}"; do
  sleep 0.7
  import -window root "$out/$name.png"
  echo "${out#"$root"/}/$name.png"
  echo >&"${DRIVER[1]}"
done
