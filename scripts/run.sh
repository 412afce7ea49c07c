#!/usr/bin/env bash
# Installs what is missing, builds and starts the player with the given files, folders and playlists.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" x86_64 --target velmaro  # the player alone, not the tests
# The player takes Windows paths: Linux paths that exist are handed over as Wine sees them.
ARGS=()
for ARG in "$@"; do
  if [ -e "$ARG" ]; then ARGS+=("$(winepath -w "$ARG" 2>/dev/null)"); else ARGS+=("$ARG"); fi
done
"$ROOT/scripts/prefix-fonts.sh"
exec wine "$ROOT/build/x86_64/app/velmaro.exe" "${ARGS[@]}"
