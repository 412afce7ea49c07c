#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test (x86_64, under Wine).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" i686
"$ROOT/scripts/build.sh" x86_64
# Playback under Wine runs in real time and starves when the machine is busy: the tests that play
# run after the others, one at a time.
rc=0
"$ROOT/scripts/run-tests.sh" "$ROOT/build/x86_64" -j"$(nproc)" -LE audio_device "$@" || rc=$?
"$ROOT/scripts/screenshot.sh" "$ROOT/build/x86_64"
"$ROOT/scripts/run-tests.sh" "$ROOT/build/x86_64" -L audio_device "$@" --no-tests=ignore || rc=$?
exit $rc
