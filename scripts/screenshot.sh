#!/bin/sh
# Starts the player on the test songs under Xvfb and saves what the screen shows as
# <build>/screenshot-prog.png, then once more in English (a marker file "en" in the current folder) as
# <build>/screenshot-prog-en.png, for anyone to look at. Usage: screenshot.sh <build-dir>
set -eu
BUILD=$(cd "$1" && pwd)
SONGS=$BUILD/tests/app/fixtures/songs
INTL=$BUILD/tests/app/fixtures/intl  # Greek and Japanese names and tags
[ -f "$BUILD/app/velmaro.exe" ] && [ -d "$SONGS" ] && command -v import >/dev/null || exit 0
. "$(dirname "$0")/wine-env.sh"
ENGLISH=$(mktemp -d)
touch "$ENGLISH/en"
xvfb-run -a -n "${VELMARO_XVFB_NUM:-99}" -s "-screen 0 1024x768x24" sh -c '
  INTL=$4
  shot() {
    wine "$1/app/velmaro.exe" "Z:$2" "Z:$INTL" </dev/null >/dev/null 2>&1 &
    sleep 8
    import -window root "$1/$3"
    wineserver -k
  }
  shot "$1" "$2" screenshot-prog.png
  cd "$3" && shot "$1" "$2" screenshot-prog-en.png' sh "$BUILD" "$SONGS" "$ENGLISH" "$INTL" >/dev/null 2>&1 || true
rm -rf "$ENGLISH"
