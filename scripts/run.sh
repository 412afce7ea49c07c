#!/usr/bin/env bash
# Installs what is missing, builds and starts the player with the given files.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" x86_64
EXE=$ROOT/build/x86_64/app/velmaro.exe
if [ ! -f "$EXE" ]; then
  echo "Built the libraries; the player window is not part of this build yet."
  exit 0
fi
exec wine "$EXE" "$@"
