#!/usr/bin/env bash
# Starts the console on the embedded defaults with a demo settings file of its
# own, beside homeplate-cg on 127.0.0.1:7250 with the demo template project.
# Never the operator's own settings, never a non-loopback address.
set -euo pipefail
build=${1:-build}
root=$(pwd)
demo="$root/demo/run"
export HOMEPLATE_LOOPBACK_ONLY=1
bin="$root/$build/src/shell/homeplate"
cgbin="$root/$build/cg/homeplate-cg"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting the console and the CG monitor under Xvfb (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$@"
fi

mkdir -p "$demo/templates"
settings="$demo/settings.ini"
database="$demo/demo.db"
connection="Provider=SQLite;Data Source=$database;Persist Security Info=False"
project="$demo/templates/demo.PRJ"

[ -f "$database" ] || "$bin" --init-db "$connection" --demo
# The demo project is copied so that previews are written outside the sources.
cp "$root/cg/demo/demo.PRJ" "$project"
if ! grep -q '^qmr\\prj=' "$settings" 2>/dev/null; then
  cat > "$settings" <<INI
[baseball]
qmr\\odbc="$connection"
qmr\\qpxserverip=127.0.0.1
qmr\\prj=$project
qmr\\prjpath=$demo/templates/
INI
fi

"$cgbin" --listen 127.0.0.1:7250 --log "$demo/cg.jsonl" &
cg=$!
trap 'kill $cg 2>/dev/null || true' EXIT
sleep 0.5
"$bin" --settings "$settings"
