#!/usr/bin/env bash
# Runs the benchmarks headless and prints their figures. Never part of `make test`.
set -u
build="$1"; shift || true
unset DISPLAY
source "$(dirname "$0")/wine-env.sh" "$build" headless
trap loopsmith_wine_cleanup EXIT
status=0
for b in "$build"/bin/bench_*.exe; do
  [ -e "$b" ] || continue
  echo "== $(basename "$b")"
  "$(dirname "$0")/wine-run.sh" "$(cd "$(dirname "$b")" && pwd)/$(basename "$b")" || status=1
done
exit $status
