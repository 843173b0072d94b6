#!/bin/sh
# Runs grammar_test.js with the TextMate engine of the editors, installed from the npm
# registry into WORK_DIR (under the build directory) once per lock file.
# Usage: grammar_test.sh WORK_DIR REPOSITORY_DIR
# Exits 77 (skipped) where node or npm is missing or the registry cannot be reached.
set -u
work_dir=$1
repo_dir=$2
here=$(cd "$(dirname "$0")" && pwd)

if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  echo "SKIPPED: the editor grammar test needs node and npm, and this machine lacks them"
  exit 77
fi

# installed.lock is copied only after a complete install, so an interrupted one is redone.
if ! cmp -s "$here/package-lock.json" "$work_dir/installed.lock"; then
  mkdir -p "$work_dir" && rm -f "$work_dir/installed.lock" || exit 1
  cp "$here/package.json" "$here/package-lock.json" "$work_dir/" || exit 1
  if ! (cd "$work_dir" && npm ci --prefer-offline --no-audit --no-fund --fetch-retries=1 \
      --fetch-timeout=60000 --loglevel=error) >"$work_dir/npm.log" 2>&1; then
    cat "$work_dir/npm.log"
    if grep -Eq 'ENOTFOUND|EAI_AGAIN|ECONNREFUSED|ECONNRESET|ETIMEDOUT|ENETUNREACH|EHOSTUNREACH|network' \
        "$work_dir/npm.log"; then
      echo "SKIPPED: npm could not reach the registry to install vscode-textmate and vscode-oniguruma"
      exit 77
    fi
    echo "npm ci failed in $work_dir"
    exit 1
  fi
  cp "$here/package-lock.json" "$work_dir/installed.lock" || exit 1
fi

exec node "$here/grammar_test.js" "$work_dir/node_modules" "$repo_dir"
