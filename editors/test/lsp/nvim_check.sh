#!/bin/sh
# Neovim's built-in LSP client, headless, on the fixture project: opening items.txt must
# bring the warning on its misspelled header, and the server must end cleanly.
# Usage: nvim_check.sh SERVER
# Exits 77 (skipped) where nvim (Debian's neovim) or the server is missing.
set -u
server=$1
here=$(cd "$(dirname "$0")" && pwd)

if ! command -v nvim >/dev/null 2>&1; then
  echo "SKIPPED: the Neovim check needs nvim (Debian's neovim), and this machine lacks it"
  exit 77
fi
if [ ! -f "$server" ] || [ ! -x "$server" ]; then
  echo "SKIPPED: no language server at $server (rpgc-lsp not built yet?)"
  exit 77
fi
server=$(cd "$(dirname "$server")" && pwd)/$(basename "$server")
out=$(mktemp) || exit 1
trap 'rm -f "$out"' EXIT

# --clean: no user configuration or plugins; the check's own file is the configuration.
(cd "$here/fixture" && RPGC_LSP=$server RPGC_NVIM_FILE=items.txt \
  timeout 120 nvim --headless --clean -c "luafile $here/nvim_check.lua") >"$out" 2>&1
status=$?
cat "$out"
[ -n "$(tail -c 1 "$out")" ] && echo
if [ $status -ne 0 ]; then
  echo "FAIL: nvim ended with status $status"
  exit 1
fi
if ! grep -q "^items\.txt:8:1: warning: .* \[misspelled-keyword\]\$" "$out"; then
  echo "FAIL: no misspelled-keyword warning on items.txt:8:1"
  exit 1
fi
echo "nvim: 1 passed, 0 failed"
