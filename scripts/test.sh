#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test (x86_64, under Wine).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" i686
"$ROOT/scripts/build.sh" x86_64
"$ROOT/scripts/run-tests.sh" "$ROOT/build/x86_64" -j"$(nproc)" "$@"
