#!/usr/bin/env bash
# Starts the console on the embedded defaults with a demo settings file of its
# own: the CG on 127.0.0.1, never the operator's own settings.
set -euo pipefail
build=${1:-build}
root=$(pwd)
demo="$root/demo/run"
mkdir -p "$demo"
settings="$demo/settings.ini"
export HOMEPLATE_LOOPBACK_ONLY=1
bin="$root/$build/src/shell/homeplate"

database="$demo/demo.db"
connection="Provider=SQLite;Data Source=$database;Persist Security Info=False"
if [ ! -f "$database" ]; then
  "$bin" --init-db "$connection" --demo
fi
if [ ! -f "$settings" ]; then
  cat > "$settings" <<INI
[baseball]
qmr\\odbc="$connection"
qmr\\qpxserverip=127.0.0.1
INI
fi

args=(--settings "$settings")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting the console under Xvfb (xvfb-run)."
  exec xvfb-run -a "$bin" "${args[@]}" "$@"
fi
exec "$bin" "${args[@]}" "$@"
