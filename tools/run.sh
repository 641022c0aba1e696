#!/usr/bin/env bash
# Starts Loopsmith under Wine on the built-in simulated controller bench.
set -eu
build="$1"; shift || true
bash "$(dirname "$0")/printer.sh"
source "$(dirname "$0")/wine-env.sh" "$build"
trap loopsmith_wine_cleanup EXIT
"$(dirname "$0")/wine-run.sh" "$(cd "$build/bin" && pwd)/Loopsmith.exe" "$@"
