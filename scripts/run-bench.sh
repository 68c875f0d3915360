#!/usr/bin/env bash
# Runs the benchmarks against SQLite and a throwaway PostgreSQL on 127.0.0.1.
set -uo pipefail
build=${1:-build}
export HOMEPLATE_LOOPBACK_ONLY=1 QT_QPA_PLATFORM=offscreen
pgdir=$(mktemp -d /tmp/homeplate-pg.XXXXXX)
trap 'bash scripts/pg-test-server.sh stop "$pgdir"' EXIT
conn=$(bash scripts/pg-test-server.sh start "$pgdir") || exit 1
"$build/bench/bench_db" "$conn"
"$build/bench/bench_console" "$conn"
"$build/bench/bench_cg" "$build/cg/homeplate-cg" cg/demo/demo.PRJ
"$build/bench/bench_graphics" cg/demo/demo.PRJ cg/demo/demo-hd.PRJ
