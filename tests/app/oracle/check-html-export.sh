#!/bin/sh
# Runs the HTML check with the system's Python, where Debian's python3-html5lib lives.
PATH=/usr/bin:/bin:$PATH exec python3 "$(dirname "$0")/check-html-export.py" "$@"
