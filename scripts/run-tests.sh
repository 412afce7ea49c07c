#!/bin/sh
# Runs CTest in a build tree under Wine and Xvfb, in a throw-away HOME and Wine prefix
# kept inside the build tree. Usage: run-tests.sh <build-dir> [ctest args...]
# VELMARO_XVFB_NUM: the first display number to try (runs side by side start apart).
set -eu
BUILD=$(cd "$1" && pwd); shift
. "$(dirname "$0")/wine-env.sh"
exec xvfb-run -a -n "${VELMARO_XVFB_NUM:-99}" -s "-screen 0 1024x768x24" sh -c '
  B=$1; shift
  # One server for the whole run. A server that Wine starts itself (Debian passes -p0) ends at the first
  # moment when no program runs, and its services and the programs starting then end with it.
  wineserver -p || { echo "run-tests: no persistent wineserver for $WINEPREFIX" >&2; exit 1; }
  # Makes the prefix and starts the services with stdio away from ctest, which would wait on their pipes.
  wine cmd /c exit </dev/null >/dev/null 2>&1
  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f </dev/null >/dev/null 2>&1
  # Listing the tests of a program that exits at once sometimes crashes in 32-bit Wine after the list is
  # out (a thread of its sound drivers ends beside the process exit): a failed listing is tried again,
  # and a program that cannot list its tests still fails the run below.
  for _ in 1 2 3; do ctest --test-dir "$B" -N >/dev/null 2>&1 && break; done
  rc=0; timeout 1800 ctest --test-dir "$B" --output-on-failure --no-tests=error "$@" || rc=$?
  wineserver -k
  exit $rc' sh "$BUILD" "$@"
