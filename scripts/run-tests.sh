#!/bin/sh
# Runs CTest in a build tree under Wine and Xvfb, in a throw-away HOME and Wine prefix
# kept inside the build tree. Usage: run-tests.sh <build-dir> [ctest args...]
# VELMARO_XVFB_NUM: the first display number to try (runs side by side start apart).
# VELMARO_SOUND=off: the run's programs get no sound drivers (for tests that play nothing).
set -eu
BUILD=$(cd "$1" && pwd); shift
. "$(dirname "$0")/wine-env.sh"
[ "${VELMARO_SOUND:-on}" = off ] && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$NO_SOUND_DRIVERS"
export NO_SOUND_DRIVERS PREFIX_FONTS="$(cd "$(dirname "$0")" && pwd)/prefix-fonts.sh"
exec xvfb-run -a -n "${VELMARO_XVFB_NUM:-99}" -s "-screen 0 1024x768x24" sh -c '
  B=$1; shift
  # One server for the whole run. A server that Wine starts itself (Debian passes -p0) ends at the first
  # moment when no program runs, and its services and the programs starting then end with it.
  wineserver -p || { echo "run-tests: no persistent wineserver for $WINEPREFIX" >&2; exit 1; }
  # Makes the prefix and starts the services with stdio away from ctest, which would wait on their pipes.
  wine cmd /c exit </dev/null >/dev/null 2>&1
  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f </dev/null >/dev/null 2>&1
  # The fonts of the windows, and a Chinese and Japanese one for them and the pictures to fall back to.
  sh "$PREFIX_FONTS"
  # The programs list their tests without sound drivers (see wine-env.sh); one that cannot list them
  # fails the run below.
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$NO_SOUND_DRIVERS" ctest --test-dir "$B" -N >/dev/null 2>&1 || true
  export VELMARO_JUDGED_LOG="$B/judged-by-results.log"
  rm -f "$VELMARO_JUDGED_LOG"
  rc=0; timeout 3600 ctest --test-dir "$B" --output-on-failure --no-tests=error "$@" || rc=$?
  if [ -s "$VELMARO_JUDGED_LOG" ]; then
    echo "Test programs that Wine did not end properly after their results (see run-test-program.py):"
    cat "$VELMARO_JUDGED_LOG"
  fi
  wineserver -k
  exit $rc' sh "$BUILD" "$@"
