#!/usr/bin/env bash
# `make bench` prints a line per phase and the tables, nothing else: the
# programs' notices and warnings go to the bench log. Run from the source
# folder with stand-ins for the four benchmark programs.
set -uo pipefail
src=$1
fake=$(mktemp -d /tmp/homeplate-bench-check.XXXXXX)
trap 'rm -rf "$fake"' EXIT
mkdir -p "$fake/bench"
for b in bench_db bench_console bench_cg bench_graphics; do
  cat >"$fake/bench/$b" <<STAND_IN
#!/usr/bin/env bash
echo "| $b | median ms |"
echo 'NOTICE:  relation "退場打者今日" already exists, skipping' >&2
echo "This plugin does not support propagateSizeHints()" >&2
[ "$b" != "\${FAIL_ONE:-}" ]
STAND_IN
  chmod +x "$fake/bench/$b"
done
cd "$src" || exit 1
fail=0
check() { echo "FAIL: $*"; fail=1; }

out=$(HOMEPLATE_TEST_PG=stand-in bash scripts/run-bench.sh "$fake" 2>&1)
rc=$?
[ $rc -eq 0 ] || check "exit $rc"
while IFS= read -r line; do
  case "$line" in
  "| "* | "-- "*) ;;
  *) check "a line that is neither a table nor a phase: $line" ;;
  esac
done <<<"$out"
[ "$(grep -c '^| ' <<<"$out")" -eq 4 ] || check "not the four tables: $out"
[ "$(grep -c '^-- ' <<<"$out")" -eq 5 ] || check "not a line per phase: $out"
grep -q 'NOTICE:' "$fake/bench/bench.log" || check "the notices are not in the log"
grep -q 'propagateSizeHints' "$fake/bench/bench.log" || check "the warnings are not in the log"

# A program that fails says so, and the run goes on and fails at the end.
out=$(FAIL_ONE=bench_cg HOMEPLATE_TEST_PG=stand-in bash scripts/run-bench.sh "$fake" 2>&1)
rc=$?
[ $rc -ne 0 ] || check "a failed benchmark gave exit 0"
grep -q '^CG commands (bench_cg) failed' <<<"$out" || check "the failure is not named: $out"
grep -q 'bench_graphics |' <<<"$out" || check "the run stopped at the failure"

[ $fail -eq 0 ] && echo "ok"
exit $fail
