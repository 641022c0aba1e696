#!/usr/bin/env bash
# Runs the whole test suite headless: a private Xvfb display and Wine prefix.
set -u
build="$1"; shift || true
unset DISPLAY
bash "$(dirname "$0")/printer.sh"
source "$(dirname "$0")/wine-env.sh" "$build" headless
trap loopsmith_wine_cleanup EXIT
cd "$build"
# One test program at a time: programs sharing one display and Wine server
# otherwise take each other's activation and focus.
ctest --output-on-failure -j "${CTEST_JOBS:-1}" "$@"
