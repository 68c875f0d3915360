#!/usr/bin/env bash
# Runs every test: GUI tests offscreen, the CG link on loopback only, the
# database tests on SQLite and on a throwaway PostgreSQL.
set -uo pipefail
build=${1:-build}
export QT_QPA_PLATFORM=offscreen
export HOMEPLATE_LOOPBACK_ONLY=1
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
pgdir=$(mktemp -d /tmp/homeplate-pg.XXXXXX)
trap 'bash scripts/pg-test-server.sh stop "$pgdir"' EXIT
if conn=$(bash scripts/pg-test-server.sh start "$pgdir"); then
  export HOMEPLATE_TEST_PG="$conn"
  echo "PostgreSQL test server: $conn"
else
  echo "PostgreSQL test server did not start:" >&2
  cat "$pgdir"/*.log >&2 || true
  exit 1
fi
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
