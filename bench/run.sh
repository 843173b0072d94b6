#!/usr/bin/env bash
# Times the release compiler on generated projects of 20,000 and 200,000 objects and
# prints wall time, user time and peak memory of each (best of three runs).
# Usage: bench/run.sh [SIZES...]   (default: 20000 200000)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cmake --preset release >/dev/null && cmake --build --preset release --target rpgc >/dev/null
rpgc="$repo/build/release/rpgc"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(20000 200000)
printf '%10s %10s %10s %12s %12s\n' objects wall_s user_s peak_MiB gdf_MiB
for n in "${sizes[@]}"; do
  dir="$work/p$n"
  python3 "$repo/bench/generate_project.py" --formats rpgc "$n" "$dir"
  best=""
  for _ in 1 2 3; do
    line=$(cd "$dir" && /usr/bin/time -f '%e %U %M' "$rpgc" 2>&1 >/dev/null | tail -n 1)
    if [ -z "$best" ] || awk -v a="$line" -v b="$best" 'BEGIN{split(a,x," ");split(b,y," ");exit !(x[1]<y[1])}'; then
      best=$line
    fi
  done
  read -r wall user peak <<<"$best"
  gdf=$(stat -c %s "$dir/generated.gdf")
  awk -v n="$n" -v w="$wall" -v u="$user" -v p="$peak" -v g="$gdf" \
    'BEGIN { printf "%10s %10s %10s %12.1f %12.1f\n", n, w, u, p / 1024, g / 1048576 }'
done
