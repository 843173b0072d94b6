#!/usr/bin/env bash
# Runs every fuzz entry for SECONDS seconds (default 60), two at a time, from seed corpora
# made of the bundled example, the golden output files and fuzz/seeds. Fails when any
# entry finds a crash; what it found is kept in build/fuzz/findings/.
# Usage: fuzz/run.sh [SECONDS] [TARGET...]   (after cmake --preset fuzz && cmake --build --preset fuzz)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(source description archive reader diagnostics)
build="$repo/build/fuzz"
work="$build/fuzz-work"
mkdir -p "$work" "$build/findings"

seed() {  # seed TARGET: the corpus folder of a target, filled with its seeds
  local target=$1 corpus="$work/corpus-$1"
  mkdir -p "$corpus"
  cp "$repo/fuzz/seeds/$target/"* "$corpus/" 2>/dev/null || true
  case $target in
    source)
      for f in "$repo"/examples/duskvale/*.txt; do head -c 4000 "$f" >"$corpus/example-$(basename "$f")"; done ;;
    description)
      cp "$repo/examples/duskvale/duskvale.gdm" "$corpus/" ;;
    archive|reader)
      # The first byte chooses the walk: even for a string table, odd for a database.
      { printf '\x00'; cat "$repo/tests/driver/golden/duskvale.gds"; } >"$corpus/golden-gds"
      { printf '\x01'; head -c 4000 "$repo/tests/driver/golden/duskvale.gdf"; } >"$corpus/golden-gdf" ;;
  esac
  echo "$corpus"
}

run() {  # run TARGET
  local target=$1 corpus dict=()
  corpus=$(seed "$target")
  [ "$target" = source ] && dict=(-dict="$repo/fuzz/source.dict")
  "$build/fuzz/${target}_fuzzer" "${dict[@]}" -max_len=4096 -max_total_time="$seconds" \
    -timeout=60 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" "$corpus" >"$work/$target.log" 2>&1
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
      if wait "${pids[$i]}"; then echo "fuzz ${names[$i]}: ok"; else echo "fuzz ${names[$i]}: FOUND A FAULT (see $work/${names[$i]}.log)"; status=1; fi
      grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$work/${names[$i]}.log" | tail -2 || true
    done
    pids=()
    names=()
  fi
done
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then echo "fuzz ${names[$i]}: ok"; else echo "fuzz ${names[$i]}: FOUND A FAULT (see $work/${names[$i]}.log)"; status=1; fi
  grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$work/${names[$i]}.log" | tail -2 || true
done
exit $status
