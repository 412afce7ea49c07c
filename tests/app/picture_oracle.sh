#!/bin/sh
# Runs the picture oracle with Debian's own tools. Usage: picture_oracle.sh make|check <folder> [<build>]
PATH=/usr/bin:/bin:$PATH exec python3 "$(dirname "$0")/picture_oracle.py" "$@"
