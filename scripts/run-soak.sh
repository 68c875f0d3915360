#!/usr/bin/env bash
# The soak run: random operator actions with graphics against homeplate-cg, on
# SQLite and on a throwaway PostgreSQL on 127.0.0.1.
set -uo pipefail
build=${1:-build}
export HOMEPLATE_LOOPBACK_ONLY=1 QT_QPA_PLATFORM=offscreen
pgdir=$(mktemp -d /tmp/homeplate-pg.XXXXXX)
trap 'bash scripts/pg-test-server.sh stop "$pgdir"' EXIT
conn=$(bash scripts/pg-test-server.sh start "$pgdir") || exit 1
"$build/bench/soak_console" cg/demo/demo.PRJ "$conn"
