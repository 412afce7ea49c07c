#!/usr/bin/env bash
# Installs what is missing, builds and starts the player with the given files, folders and playlists.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Wine makes no window without an X display: say so before installing and building for nothing.
if [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: no X display (DISPLAY is not set): start it from a desktop session, or under xvfb-run" >&2
  exit 1
fi
"$ROOT/scripts/setup.sh" x86_64
"$ROOT/scripts/build.sh" x86_64 --target velmaro  # the player alone, not the tests
# The player takes Windows paths: Linux paths that exist are handed over as Wine sees them.
ARGS=()
for ARG in "$@"; do
  if [ -e "$ARG" ]; then ARGS+=("$(winepath -w "$ARG" 2>/dev/null)"); else ARGS+=("$ARG"); fi
done
"$ROOT/scripts/prefix-fonts.sh"
# Wine's own 64-bit loader: Debian's "wine" hands a 64-bit program on through a second process.
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=wine
exec "$WINE" "$ROOT/build/x86_64/app/velmaro.exe" "${ARGS[@]}"
