#!/bin/sh
# Runs CTest in a build tree under Wine and Xvfb, in a throw-away HOME and Wine prefix
# kept inside the build tree. Usage: run-tests.sh <build-dir> [ctest args...]
set -eu
BUILD=$(cd "$1" && pwd); shift
ENVROOT=$BUILD/wine-env
export HOME=$ENVROOT/home WINEPREFIX=$ENVROOT/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" LANG=C.UTF-8 LC_ALL=C.UTF-8
mkdir -p "$HOME"
# Sound goes nowhere: the ALSA null device.
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc"
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  B=$1; shift
  wineserver -p                                   # one server for the whole run
  # Makes the prefix and starts the services with stdio away from ctest, which would wait on their pipes.
  wine cmd /c exit </dev/null >/dev/null 2>&1
  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f </dev/null >/dev/null 2>&1
  rc=0; timeout 1800 ctest --test-dir "$B" --output-on-failure --no-tests=error "$@" || rc=$?
  # The player window as the window tests left it, for anyone to look at.
  if [ -f "$B/screenshot-prog.bmp" ] && command -v convert >/dev/null; then
    convert "$B/screenshot-prog.bmp" "$B/screenshot-prog.png" 2>/dev/null || true
  fi
  wineserver -k
  exit $rc' sh "$BUILD" "$@"
