#!/bin/sh
# Checks that the man pages format without a single groff warning.
# Usage: man_pages_test.sh REPOSITORY_DIR
if ! command -v groff >/dev/null 2>&1; then
  echo "SKIPPED: the man page test needs groff, and this machine lacks it"
  exit 77
fi
pages=0 failed=0
for page in "$1"/docs/man/*.[1-8]; do
  pages=$((pages + 1))
  if ! warnings=$(groff -man -ww -z "$page" 2>&1) || [ -n "$warnings" ]; then
    echo "FAIL $page"
    echo "$warnings"
    failed=$((failed + 1))
  fi
done
echo "$((pages - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
