#!/bin/sh
# A folder tree whose subfolder links back to its root: Wine shows the link as a folder reparse point,
# as Windows shows a junction. Usage: make-fixtures.sh <folder>
set -eu
ROOT=$1/cycle
mkdir -p "$ROOT/sub"
: > "$ROOT/a.mp3"
: > "$ROOT/sub/b.mp3"
ln -sfn .. "$ROOT/sub/loop"
