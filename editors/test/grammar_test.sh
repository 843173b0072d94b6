#!/bin/sh
# Runs grammar_test.js with the TextMate engine of the editors, installed from the npm
# registry into WORK_DIR (under the build directory) once per lock file.
# Usage: grammar_test.sh WORK_DIR REPOSITORY_DIR
# Exits 77 (skipped) where node or npm is missing or the registry cannot be reached.
set -u
work_dir=$1
repo_dir=$2
here=$(cd "$(dirname "$0")" && pwd)

sh "$here/../npm_ci.sh" "$here" "$work_dir" "vscode-textmate and vscode-oniguruma for the grammar test" ||
  exit $?
exec node "$here/grammar_test.js" "$work_dir/node_modules" "$repo_dir"
