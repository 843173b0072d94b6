#!/usr/bin/env bash
# Runs every fuzz entry for SECONDS seconds (default 60), two at a time, from seed corpora
# made of the bundled example, the golden output files and fuzz/seeds. Fails when any
# entry finds a crash; what it found is kept in build/fuzz/findings/.
# Usage: fuzz/run.sh [SECONDS] [TARGET...]   (after cmake --preset fuzz && cmake --build --preset fuzz)
# Inputs are capped at 4 KiB; the target reader-large runs the reader entry with inputs up
# to 1 MiB, large enough for files whose listing is hundreds of times their size. It is
# not among the default targets: CI runs it as a step of its own.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(source description archive reader diagnostics lsp formatter)
build="$repo/build/fuzz"
work="$build/fuzz-work"
mkdir -p "$work" "$build/findings"

seed() {  # seed TARGET: the corpus folder of a target, filled with its seeds
  local target=$1 corpus="$work/corpus-$1"
  mkdir -p "$corpus"
  cp "$repo/fuzz/seeds/$target/"* "$corpus/" 2>/dev/null || true
  case $target in
    source|formatter)
      for f in "$repo"/examples/duskvale/*.txt; do head -c 4000 "$f" >"$corpus/example-$(basename "$f")"; done ;;
    description)
      cp "$repo/examples/duskvale/duskvale.gdm" "$corpus/" ;;
    lsp)
      # One session: a file opened with the fixture's text, edited, then asked about.
      local text frame
      text=$(sed 's/\\/\\\\/g; s/"/\\"/g' "$repo/editors/test/lsp/fixture/items.txt" | awk '{printf "%s\\n", $0}')
      frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
      {
        frame '{"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file:///nonexistent-rpgc-fuzz/items.txt","languageId":"rpgc","version":1,"text":"'"$text"'"}}}'
        frame '{"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":"file:///nonexistent-rpgc-fuzz/items.txt","version":2},"contentChanges":[{"range":{"start":{"line":0,"character":6},"end":{"line":0,"character":10}},"text":"quest"}]}}'
        for method in hover definition references completion prepareRename documentHighlight; do
          frame '{"jsonrpc":"2.0","id":1,"method":"textDocument/'$method'","params":{"textDocument":{"uri":"file:///nonexistent-rpgc-fuzz/items.txt"},"position":{"line":0,"character":12},"context":{"includeDeclaration":true}}}'
        done
        frame '{"jsonrpc":"2.0","id":2,"method":"textDocument/codeAction","params":{"textDocument":{"uri":"file:///nonexistent-rpgc-fuzz/items.txt"},"range":{"start":{"line":0,"character":0},"end":{"line":20,"character":0}},"context":{"diagnostics":[]}}}'
        frame '{"jsonrpc":"2.0","id":3,"method":"textDocument/rename","params":{"textDocument":{"uri":"file:///nonexistent-rpgc-fuzz/items.txt"},"position":{"line":0,"character":12},"newName":"Blade"}}'
        frame '{"jsonrpc":"2.0","id":4,"method":"workspace/symbol","params":{"query":"kn"}}'
        frame '{"jsonrpc":"2.0","id":5,"method":"shutdown"}'
      } >"$corpus/session" ;;
    reader|reader-large)
      [ "$target" = reader-large ] && cp "$repo/fuzz/seeds/reader/"* "$corpus/"
      # The first byte chooses the walk: even for a string table, odd for a database.
      { printf '\x00'; cat "$repo/tests/driver/golden/duskvale.gds"; } >"$corpus/golden-gds"
      { printf '\x01'; head -c 4000 "$repo/tests/driver/golden/duskvale.gdf"; } >"$corpus/golden-gdf"
      if [ "$target" = reader-large ]; then
        { printf '\x01'; cat "$repo/tests/driver/golden/duskvale.gdf"; } >"$corpus/golden-gdf-whole"
        # One list of 262,000 copies of a 1024-byte name: 1 MB, listed in 268 MB.
        "$build/fuzz/amplifying_database" "$work/amplifying.gdf" 262000
        { printf '\x01'; cat "$work/amplifying.gdf"; } >"$corpus/amplifying-gdf-1mb"
      fi ;;
  esac
  echo "$corpus"
}

run() {  # run TARGET
  local target=$1 corpus options=() entry=$1 longest=4096
  corpus=$(seed "$target")
  case $target in source|formatter) options=(-dict="$repo/fuzz/source.dict") ;; esac
  # Large inputs from the start, rather than lengths grown slowly from small ones.
  [ "$target" = reader-large ] && entry=reader && longest=1048576 && options=(-len_control=0)
  "$build/fuzz/${entry}_fuzzer" "${options[@]}" -max_len="$longest" -max_total_time="$seconds" \
    -timeout=60 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" "$corpus" >"$work/$target.log" 2>&1
}

fault() {  # fault TARGET: what the entry found, readable where only this output is kept
  local target=$1 finding
  echo "fuzz $target: FOUND A FAULT (see $work/$target.log)"
  grep -E -A25 "^broken promise|ERROR: (AddressSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error" \
    "$work/$target.log" | grep -v -E "^\s+#([0-9]{2,}|[4-9]) " | head -40 || true
  for finding in "$build/findings/$target-"*; do
    [ -f "$finding" ] || continue
    echo "input $(basename "$finding"), base64:"
    head -c 16384 "$finding" | base64 -w 120
  done
}

status=0
pids=()
names=()
for target in "${targets[@]}"; do
  run "$target" &
  pids+=($!)
  names+=("$target")
  if [ ${#pids[@]} -eq 2 ]; then
    for i in 0 1; do
      if wait "${pids[$i]}"; then echo "fuzz ${names[$i]}: ok"; else fault "${names[$i]}"; status=1; fi
      grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$work/${names[$i]}.log" | tail -2 || true
    done
    pids=()
    names=()
  fi
done
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then echo "fuzz ${names[$i]}: ok"; else fault "${names[$i]}"; status=1; fi
  grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$work/${names[$i]}.log" | tail -2 || true
done
exit $status
