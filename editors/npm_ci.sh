#!/bin/sh
# Installs the npm packages that PACKAGE_DIR/package-lock.json pins into
# WORK_DIR/node_modules with `npm ci`, once per lock file: while the lock is unchanged a
# later call does nothing. WORK_DIR may be PACKAGE_DIR itself. Install scripts are not
# run: none of the packages needs one, and one that downloads would fail here.
# Usage: npm_ci.sh PACKAGE_DIR WORK_DIR WHAT
# Exits 0 once installed; 77 (skipped) after saying so where npm is missing or the
# registry cannot be reached, naming WHAT; 1 on any other failure.
set -u
package_dir=$(cd "$1" && pwd) || exit 1
mkdir -p "$2" && work_dir=$(cd "$2" && pwd) || exit 1
what=$3
marker=$work_dir/node_modules/.installed-package-lock.json

if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  echo "SKIPPED: $what needs node and npm, and this machine lacks them"
  exit 77
fi
cmp -s "$package_dir/package-lock.json" "$marker" && exit 0

if [ "$package_dir" != "$work_dir" ]; then
  cp "$package_dir/package.json" "$package_dir/package-lock.json" "$work_dir/" || exit 1
fi
log=$(mktemp) || exit 1
# The marker is written only after a complete install (npm ci empties node_modules
# first), so an interrupted one is redone.
if ! (cd "$work_dir" && npm ci --ignore-scripts --prefer-offline --no-audit --no-fund \
    --fetch-retries=1 --fetch-timeout=60000 --loglevel=error) >"$log" 2>&1; then
  cat "$log"
  if grep -Eq 'ENOTFOUND|EAI_AGAIN|ECONNREFUSED|ECONNRESET|ETIMEDOUT|ENETUNREACH|EHOSTUNREACH|network' "$log"; then
    rm -f "$log"
    echo "SKIPPED: npm could not reach the registry to install $what"
    exit 77
  fi
  rm -f "$log"
  echo "npm ci failed in $work_dir"
  exit 1
fi
rm -f "$log"
cp "$package_dir/package-lock.json" "$marker" || exit 1
