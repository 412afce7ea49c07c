#!/bin/sh
# Runs the GIF oracle with Debian's own tools. Usage: oracle.sh make|check <folder>
PATH=/usr/bin:/bin:$PATH exec python3 "$(dirname "$0")/oracle.py" "$@"
