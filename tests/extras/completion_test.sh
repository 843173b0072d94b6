#!/usr/bin/env bash
# Sources the bash completion scripts without the bash-completion package, checks a few
# completions, that rpgc's warning names are those of its man page, and, given the
# programs, that they take every option the completion offers.
# Usage: completion_test.sh REPOSITORY_DIR [RPGC RPGDUMP] (run by sh, it goes on in bash
# where there is one)
if [ -z "${BASH_VERSION:-}" ]; then
  command -v bash >/dev/null 2>&1 || { echo "SKIPPED: the completion test needs bash"; exit 77; }
  exec bash "$0" "$@"
fi
set -u
repo=$1 rpgc=${2:-} rpgdump=${3:-}
# shellcheck source=/dev/null
source "$repo/completion/rpgc" || exit 1
# shellcheck source=/dev/null
source "$repo/completion/rpgdump" || exit 1
# shellcheck source=/dev/null
source "$repo/completion/rpgfmt" || exit 1
work=$(mktemp -d) && cd "$work" || exit 1
trap 'rm -rf "$work"' EXIT
mkdir alpha alpha/sub
touch a.gdm b.txt d.gds d.gdf alpha/x.gdm alpha/y.txt

passed=0 failed=0
# expect "WORD..." "REPLY...": the completion of the last word (words split at blanks,
# "" for an empty last word), with the replies sorted.
expect() {
  local got
  read -ra COMP_WORDS <<<"$1"
  [[ $1 == *' ' ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  "_${COMP_WORDS[0]}"
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ' -)
  if [[ $got == "$2" ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL '$1': expected '$2', got '$got'"
  fi
}

expect "rpgc -Wno-unex" "-Wno-unexamined-header"
expect "rpgc --ch" "--check"
expect "rpgc --color = a" "always auto"
expect "rpgc --diagnostics-format=j" "--diagnostics-format=json"
expect "rpgc -Werror = unresolved-" "unresolved-reference unresolved-string"
expect "rpgc -C " "alpha"
expect "rpgc " "a.gdm alpha"
expect "rpgc Project " "a.gdm alpha b.txt d.gdf d.gds"
expect "rpgc -- -W" ""
expect "rpgc -Cal" "-Calpha"
expect "rpgc -C alpha " "sub/ x.gdm"
expect "rpgc -C alpha x.gdm " "sub/ x.gdm y.txt"
expect "rpgc -o " "alpha"
expect "rpgdump --kind g" "gdf gds"
expect "rpgdump --kind = g" "gdf gds"
expect "rpgdump --kind=g" "--kind=gdf --kind=gds"
expect "rpgdump " "alpha d.gdf d.gds"
expect "rpgdump --js" "--json"
expect "rpgfmt --ch" "--check"
expect "rpgfmt " "alpha b.txt"
expect "rpgdump --su" "--summary"
expect "rpgdump --no" "--no-header-path"
expect "rpgdump -o " "alpha"
expect "rpgdump --output=a" "--output=alpha"
expect "rpgdump --source -o al" "alpha"
expect "rpgdump --refs " ""

# The man page lists each warning as ".TP", then ".B name" with "\-" for "-".
manual=$(sed -n '/^\.SH WARNINGS/,/^\.SH /{/^\.TP/{n;s/^\.B //;s/\\-/-/g;p;}}' "$repo/docs/man/rpgc.1" |
  paste -sd ' ' -)
# shellcheck disable=SC2086,SC2154 # the names, split at blanks, come from completion/rpgc
listed=$(printf '%s\n' $_rpgc_warnings | paste -sd ' ' -)
if [[ -n $manual && $manual == "$listed" ]]; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAIL warning names: rpgc.1 has '$manual', completion/rpgc has '$listed'"
fi

# Every option offered is one the program takes, with a value where it takes one ("-W"
# and "-Wno-" are the starts of warning options, not options).
value_of() {
  case $1 in
    --kind=) echo gds ;;
    --color=) echo never ;;
    --diagnostics-format=) echo text ;;
    -Werror=) echo not-assignment ;;
    *=) echo x ;;
  esac
}
agree() {
  local option err
  for option in $2; do
    [[ $option == -- || $option == -W || $option == *- ]] && continue
    # --watch alone would run until interrupted: --version ends it once it is read.
    local ending=()
    [[ $option == --watch ]] && ending=(--version)
    err=$("$1" "$option$(value_of "$option")" "${ending[@]}" 2>&1 >/dev/null)
    if [[ $err == *"unknown option"* || $err == *"unknown warning"* || $err == *"takes"* ]]; then
      failed=$((failed + 1))
      echo "FAIL $(basename "$1") refuses '$option', which its completion offers: $err"
    else
      passed=$((passed + 1))
    fi
  done
}
if [[ -n $rpgdump ]]; then
  agree "$rpgdump" "$_rpgdump_options"
  agree "$rpgc" "$_rpgc_options"
fi

echo "$passed passed, $failed failed"
((failed == 0))
