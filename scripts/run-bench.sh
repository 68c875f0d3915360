#!/usr/bin/env bash
# Runs the benchmarks against SQLite and a throwaway PostgreSQL on 127.0.0.1
# (or the server named by HOMEPLATE_TEST_PG). Prints a line per phase and the
# tables; whatever else the build and the programs say (PostgreSQL notices, Qt
# warnings) goes to BUILD/bench/bench.log.
#   run-bench.sh BUILD [JOBS]   with JOBS, builds first
set -uo pipefail
build=${1:-build}
jobs=${2:-}
export HOMEPLATE_LOOPBACK_ONLY=1 QT_QPA_PLATFORM=offscreen
mkdir -p "$build/bench"
log="$build/bench/bench.log"
: >"$log"
status=0
phase() { printf -- '-- %s\n' "$*"; printf -- '-- %s\n' "$*" >>"$log"; }

if [ -n "$jobs" ]; then
  phase "build"
  if ! cmake --build "$build" -j"$jobs" >>"$log" 2>&1; then
    echo "the build failed; its output is in $log"
    exit 1
  fi
fi
if [ -n "${HOMEPLATE_TEST_PG:-}" ]; then
  conn=$HOMEPLATE_TEST_PG
else
  phase "PostgreSQL server on 127.0.0.1"
  pgdir=$(mktemp -d /tmp/homeplate-pg.XXXXXX)
  trap 'bash scripts/pg-test-server.sh stop "$pgdir" >>"$log" 2>&1' EXIT
  if ! conn=$(bash scripts/pg-test-server.sh start "$pgdir" 2>>"$log"); then
    echo "PostgreSQL did not start; see $log"
    exit 1
  fi
fi

run() {
  local what=$1
  shift
  phase "$what"
  "$@" 2>>"$log"
  local rc=$?
  if [ $rc -ne 0 ]; then
    echo "$what failed (exit $rc); see $log"
    status=1
  fi
}
run "units of work (bench_db)" "$build/bench/bench_db" "$conn"
run "console actions (bench_console)" "$build/bench/bench_console" "$conn"
run "CG commands (bench_cg)" "$build/bench/bench_cg" "$build/cg/homeplate-cg" cg/demo/demo.PRJ
run "graphics (bench_graphics)" "$build/bench/bench_graphics" cg/demo/demo.PRJ cg/demo/demo-hd.PRJ
phase "done; the programs' own messages are in $log"
exit $status
