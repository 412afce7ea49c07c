#!/bin/sh
# Renders an HTML export with headless Chromium into a picture. Usage: render-html-export.sh <html> <png>
set -eu
PROFILE=$(mktemp -d)
trap 'rm -rf "$PROFILE"' EXIT
rm -f "$2"
timeout 90 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$PROFILE" \
  --hide-scrollbars --window-size=900,400 --screenshot="$2" "file://$1" >/dev/null 2>&1
[ -s "$2" ]
