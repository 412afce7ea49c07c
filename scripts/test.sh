#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test of each under Wine.
# Each target has its own build folder, Wine prefix and display: x86_64 starts its display search at
# VELMARO_XVFB_NUM (default 99), i686 one above.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" i686
"$ROOT/scripts/build.sh" x86_64

DISPLAY_BASE=${VELMARO_XVFB_NUM:-99}
# tests <arch> [ctest args...]
tests() {
  local arch=$1 offset=0
  shift
  [ "$arch" = i686 ] && offset=1
  VELMARO_XVFB_NUM=$((DISPLAY_BASE + offset)) "$ROOT/scripts/run-tests.sh" "$ROOT/build/$arch" "$@"
}

# The tests that do not play run for both targets at once; their logs follow one another.
rc=0
LOG64=$ROOT/build/x86_64/tests-without-audio.log
LOG32=$ROOT/build/i686/tests-without-audio.log
(
  r=0
  VELMARO_SOUND=off tests x86_64 -j"$(nproc)" -LE audio_device "$@" >"$LOG64" 2>&1 || r=$?
  VELMARO_XVFB_NUM=$DISPLAY_BASE "$ROOT/scripts/screenshot.sh" "$ROOT/build/x86_64"
  exit $r
) &
RUN64=$!
VELMARO_SOUND=off tests i686 -j"$(nproc)" -LE audio_device "$@" >"$LOG32" 2>&1 || rc=$?
wait $RUN64 || rc=$?
cat "$LOG64" "$LOG32"

# Playback under Wine runs in real time and starves when the machine is busy: the tests that play
# run after the others, one at a time, one target after the other.
tests x86_64 -L audio_device "$@" --no-tests=ignore || rc=$?
tests i686 -L audio_device "$@" --no-tests=ignore || rc=$?
exit $rc
