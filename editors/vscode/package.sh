#!/bin/sh
# Builds the VS Code extension into one self-contained .vsix: the grammar, the language
# configuration, the client and its runtime dependency vscode-languageclient.
# Usage: editors/vscode/package.sh [OUTPUT_DIR]    (default: editors/vscode)
# Installs the pinned npm packages into editors/vscode/node_modules (once per lock file),
# writes OUTPUT_DIR/rpgc-language-VERSION.vsix and prints its path on the last line.
# Exits 77 where npm is missing or the registry cannot be reached, 1 on a failure.
set -u
here=$(cd "$(dirname "$0")" && pwd)
out_dir=${1:-$here}

sh "$here/../npm_ci.sh" "$here" "$here" "vscode-languageclient and @vscode/vsce for the extension" ||
  exit $?
mkdir -p "$out_dir" && out_dir=$(cd "$out_dir" && pwd) || exit 1
version=$(node -p 'require(process.argv[1]).version' "$here/package.json") || exit 1
vsix=$out_dir/rpgc-language-$version.vsix
rm -f "$vsix"
# The project is not published from here: no repository field, no licence file.
(cd "$here" && node_modules/.bin/vsce package --allow-missing-repository --skip-license \
  --out "$vsix") || exit 1
echo "$vsix"
