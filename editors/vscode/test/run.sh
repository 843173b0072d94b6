#!/bin/sh
# Runs the extension's tests with Node's test runner; they need no npm package.
# Exits 77 (skipped) where node is missing.
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v node >/dev/null 2>&1; then
  echo "SKIPPED: the extension's tests need node, and this machine lacks it"
  exit 77
fi
exec node --test "$here/description.test.js" "$here/extension.test.js"
