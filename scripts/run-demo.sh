#!/usr/bin/env bash
# Starts the console on the embedded defaults with a demo settings file of its
# own, beside homeplate-cg on 127.0.0.1 (port 7250, or the next free one) with
# the demo template project. Never the operator's own settings, never a
# non-loopback address.
set -euo pipefail
build=${1:-build}
root=$(pwd)
demo="$root/demo/run"
export HOMEPLATE_LOOPBACK_ONLY=1
bin="$root/$build/src/shell/homeplate"
cgbin="$root/$build/cg/homeplate-cg"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting the console and the CG monitor under Xvfb (xvfb-run)."
  HOMEPLATE_DEMO_XVFB=1 exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$@"
fi
if [ -n "${HOMEPLATE_DEMO_XVFB:-}" ]; then
  echo "Running on the Xvfb display $DISPLAY, which shows nothing on this screen."
  echo "Stop it with Ctrl-C, or from another shell: kill $$"
fi

mkdir -p "$demo/templates"
settings="$demo/settings.ini"
database="$demo/demo.db"
connection="Provider=SQLite;Data Source=$database;Persist Security Info=False"
# CG_PROJECT chooses the demo template project: sd (720 x 486, the default) or
# hd (1920 x 1080).
case "${CG_PROJECT:-sd}" in
  sd|SD|"") project_name=demo.PRJ ;;
  hd|HD) project_name=demo-hd.PRJ ;;
  *) echo "CG_PROJECT is sd or hd, not \"$CG_PROJECT\"." >&2; exit 2 ;;
esac
project="$demo/templates/$project_name"

# Sets KEY=VALUE in the [baseball] group of the demo settings file (the keys
# hold backslashes, so they reach awk through the environment).
set_key() {
  local tmp
  tmp=$(mktemp "$demo/settings.XXXXXX")
  touch "$settings"
  KEY=$1 VALUE=$2 awk '
    function put() { if (!done) { print ENVIRON["KEY"] "=" ENVIRON["VALUE"]; done = 1 } }
    /^\[/ { if (inside) put(); inside = ($0 == "[baseball]"); if (inside) seen = 1 }
    inside && index($0, ENVIRON["KEY"] "=") == 1 { put(); next }
    { print }
    END { if (!seen) print "[baseball]"; if (!seen || inside) put() }
  ' "$settings" > "$tmp"
  mv "$tmp" "$settings"
}
# The value of a key of the [baseball] group, without its quotes.
get_key() {
  [ -f "$settings" ] || return 0
  KEY=$1 awk '
    /^\[/ { inside = ($0 == "[baseball]") }
    inside && index($0, ENVIRON["KEY"] "=") == 1 {
      v = substr($0, length(ENVIRON["KEY"]) + 2); gsub(/^"|"$/, "", v); print v; exit
    }
  ' "$settings"
}

[ -f "$database" ] || "$bin" --init-db "$connection" --demo
# The demo projects are copied so that previews are written outside the
# sources; their queries read ../demo.db, the demo database.
cp "$root/cg/demo/demo.PRJ" "$root/cg/demo/demo-hd.PRJ" "$demo/templates/"
stored_project=$(get_key 'qmr\prj')
if [ -z "$stored_project" ] || [ ! -f "$stored_project" ]; then
  set_key 'qmr\odbc' "\"$connection\""
  set_key 'qmr\prj' "$project"
  set_key 'qmr\prjpath' "$demo/templates/"
elif [ "$(dirname "$stored_project")" = "$demo/templates" ]; then
  # One demo project or the other, as CG_PROJECT says.
  set_key 'qmr\prj' "$project"
fi
# Innings on air as whole innings and outs (5.2), unless the demo's operator chose.
[ -n "$(get_key 'qmr\inningsnotation')" ] || set_key 'qmr\inningsnotation' outs
echo "Demo template project: $project (CG_PROJECT=sd or hd chooses)."
# The CG's pages read the game database the console uses (through the
# environment: the string may hold a password).
cg_database=$(get_key 'qmr\odbc')
export HOMEPLATE_CG_DATABASE="${cg_database:-$connection}"

# homeplate-cg on the first free port from 7250 on: the console must never talk
# to whatever else owns the port.
cg=""
port=""
log="$demo/cg-stderr.log"
for candidate in $(seq 7250 7269); do
  "$cgbin" --listen "127.0.0.1:$candidate" --log "$demo/cg.jsonl" --project "$project" \
    2> "$log" &
  pid=$!
  for _ in $(seq 50); do
    grep -q 'listening on' "$log" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if grep -q 'listening on' "$log"; then
    cg=$pid
    port=$candidate
    break
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "Port $candidate on 127.0.0.1 is taken: $(tail -n 1 "$log")"
done
if [ -z "$cg" ]; then
  echo "homeplate-cg found no free port from 7250 to 7269 on 127.0.0.1; the console was not started." >&2
  exit 1
fi
trap 'kill $cg 2>/dev/null || true' EXIT
echo "homeplate-cg listens on 127.0.0.1:$port"
set_key 'qmr\qpxserverip' "127.0.0.1:$port"
# The CG stays up until the console has gone: Ctrl-C or a kill of this script
# is handed to the console, and homeplate-cg is stopped (by the EXIT trap)
# only once the console has exited.
"$bin" --settings "$settings" &
console=$!
trap 'kill -TERM $console 2>/dev/null || true' INT TERM
status=0
while kill -0 "$console" 2>/dev/null; do
  wait "$console" && status=0 || status=$?
done
exit "$status"
