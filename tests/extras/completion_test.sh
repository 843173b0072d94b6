#!/usr/bin/env bash
# Sources the bash completion scripts without the bash-completion package, checks a few
# completions, and checks that rpgc's warning names are those of its man page.
# Usage: completion_test.sh REPOSITORY_DIR (run by sh, it goes on in bash where there is one)
if [ -z "${BASH_VERSION:-}" ]; then
  command -v bash >/dev/null 2>&1 || { echo "SKIPPED: the completion test needs bash"; exit 77; }
  exec bash "$0" "$@"
fi
set -u
repo=$1
# shellcheck source=/dev/null
source "$repo/completion/rpgc" || exit 1
# shellcheck source=/dev/null
source "$repo/completion/rpgdump" || exit 1
# shellcheck source=/dev/null
source "$repo/completion/rpgfmt" || exit 1
work=$(mktemp -d) && cd "$work" || exit 1
trap 'rm -rf "$work"' EXIT
mkdir alpha
touch a.gdm b.txt d.gds d.gdf

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
expect "rpgdump --kind g" "gdf gds"
expect "rpgdump " "alpha d.gdf d.gds"
expect "rpgdump --js" "--json"
expect "rpgfmt --ch" "--check"
expect "rpgfmt " "alpha b.txt"

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

echo "$passed passed, $failed failed"
((failed == 0))
