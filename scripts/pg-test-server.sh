#!/usr/bin/env bash
# A throwaway PostgreSQL 15 on 127.0.0.1 for the tests.
#   pg-test-server.sh start DIR   starts it and prints the connection string
#   pg-test-server.sh stop DIR    stops it and removes DIR
#   pg-test-server.sh pause DIR   stops it, keeping DIR (a server outage)
#   pg-test-server.sh resume DIR  starts it again on the same port
set -euo pipefail
cmd=$1 dir=$2
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
as_pg=()
[ "$(id -u)" -eq 0 ] && as_pg=(runuser -u postgres --)
run_server() {
  "${as_pg[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
     -o "-c listen_addresses=127.0.0.1 -c port=$1 -c unix_socket_directories=$dir -c fsync=off -c full_page_writes=off" \
     start >/dev/null
}
case "$cmd" in
start)
  mkdir -p "$dir"
  chown postgres "$dir" 2>/dev/null || true
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null \
         || echo $((20000 + RANDOM % 20000)))
  "${as_pg[@]}" "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
  run_server "$port"
  echo "$port" > "$dir/port"
  echo "Provider=PostgreSQL;Host=127.0.0.1;Port=$port;Database=postgres;User ID=postgres;Password="
  ;;
stop)
  if [ -d "$dir/data" ]; then
    "${as_pg[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  ;;
pause)
  "${as_pg[@]}" "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  ;;
resume)
  run_server "$(cat "$dir/port")"
  ;;
esac
