#!/bin/sh
# Runs the end-to-end tests of the language server SERVER with Node's test runner.
# Usage: run.sh WORK_DIR SERVER [TEST_FILE...]    (default: every *.test.js here)
# vscode-languageserver-protocol and vscode-jsonrpc are installed from the npm registry
# into WORK_DIR once per lock file. Exits 77 (skipped) where SERVER is not an executable
# file (rpgc-lsp not built yet), or npm is missing or cannot reach the registry.
set -u
work_dir=$1
server=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)

if [ ! -f "$server" ] || [ ! -x "$server" ]; then
  echo "SKIPPED: no language server at $server (rpgc-lsp not built yet?)"
  exit 77
fi
sh "$here/../../npm_ci.sh" "$here" "$work_dir" "the protocol packages for the language server tests" ||
  exit $?
[ $# -gt 0 ] || set -- "$here"/*.test.js
RPGC_LSP=$(cd "$(dirname "$server")" && pwd)/$(basename "$server") NODE_PATH=$work_dir/node_modules \
  exec node --test "$@"
