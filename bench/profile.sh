#!/usr/bin/env bash
# Where one compilation's time and memory go, for one generated project: cores used,
# a call-graph profile (top functions, the kernel's page zeroing and what faults the
# pages in), transparent huge page faults, and the count of each system call.
#
# Usage: bench/profile.sh [--mix MIX] [--call-graph fp|dwarf] [SIZE]   (default: default 100000)
# Environment: RPGC, BENCH_WORK, BENCH_SEED as for compare.sh.
# Needs perf (apt-get install linux-perf) and strace; perf must be allowed to profile
# (kernel.perf_event_paranoid at most 2 for a process of one's own). cpu-clock samples
# are used: they work on virtual machines without hardware counters.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bench="$repo/bench"
mix=default
call_graph=fp
n=100000
while [ $# -gt 0 ]; do
  case $1 in
    --mix) mix=$2; shift 2 ;;
    --call-graph) call_graph=$2; shift 2 ;;
    -*) echo "usage: bench/profile.sh [--mix MIX] [--call-graph fp|dwarf] [SIZE]" >&2; exit 2 ;;
    *) n=$1; shift ;;
  esac
done
seed=${BENCH_SEED:-1}
for tool in perf strace python3; do
  command -v "$tool" >/dev/null || { echo "profile.sh: $tool is missing" >&2; exit 1; }
done
if [ -z "${RPGC:-}" ]; then
  (cd "$repo" && cmake --preset release >/dev/null && cmake --build --preset release --target rpgc >/dev/null)
  RPGC="$repo/build/release/rpgc"
fi
RPGC=$(realpath "$RPGC")
if [ -n "${BENCH_WORK:-}" ]; then
  mkdir -p "$BENCH_WORK"
  work=$(realpath "$BENCH_WORK")
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/rpgc-profile.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
# shellcheck source=bench/common.sh
. "$bench/common.sh"

dir=$(project_dir "$mix" "$n")
generate "$mix" "$n" "$dir" rpgc
cd "$dir"
compile() { rm -f generated.gds generated.gdf; "$@" duskvale.gdm >/dev/null; }
vmstat_of() { awk -v key="$1" '$1 == key { print $2 }' /proc/vmstat; }

echo "## Profile: $mix mix, size $n"
echo
echo "rpgc: $RPGC. Content: $(content_of "$dir"). Load (1 minute) before: $(load)."
compile "$RPGC"  # warm the page cache
echo

echo "### Cores, faults, peak"
echo
perf stat -e task-clock,page-faults,context-switches -o "$work/stat.txt" -- \
  sh -c "rm -f generated.gds generated.gdf; '$RPGC' duskvale.gdm >/dev/null"
/usr/bin/time -f '%e %U %S %M %R' -o "$work/time.txt" \
  sh -c "rm -f generated.gds generated.gdf; '$RPGC' duskvale.gdm >/dev/null"
read -r wall user system peak minor <"$work/time.txt"
echo "- \`/usr/bin/time\`: wall $wall s, user $user s, system $system s;" \
  "peak $(awk -v k="$peak" 'BEGIN { printf "%.1f", k * 1024 / 1e6 }') MB; $minor minor page faults"
echo "- \`perf stat\` (another run):" \
  "$(awk '/task-clock|page-faults|context-switches|seconds time elapsed/ { $1 = $1; print }' "$work/stat.txt" \
     | sed 's/ *#.*CPUs utilized/ (& )/; s/#//' | paste -sd ';' | sed 's/;/; /g')"
echo
echo "### Transparent huge pages"
echo
echo "- \`/sys/kernel/mm/transparent_hugepage/enabled\`: $(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo –)," \
  "\`defrag\`: $(cat /sys/kernel/mm/transparent_hugepage/defrag 2>/dev/null || echo –)"
echo "- \`/proc/vmstat\` thp_fault_alloc and thp_fault_fallback around the profiled run: below" \
  "(machine-wide counters: other processes count too)"
echo
echo "### System calls (\`strace -c -f\`)"
echo
rm -f generated.gds generated.gdf
strace -c -f -o "$work/strace.txt" "$RPGC" duskvale.gdm >/dev/null
echo "| calls | errors | system call |"
echo "|---:|---:|---|"
awk '$NF ~ /^(write|writev|pwrite64|read|pread64|madvise|mmap|munmap|mremap|brk|clone|clone3|futex|fsync|fdatasync|openat|rename|renameat2)$/ {
       errors = (NF == 6) ? $5 : 0; print "| " $4 " | " errors " | `" $NF "` |" }' "$work/strace.txt"
echo
echo "Writes: $(awk '$NF == "write" { print $4 }' "$work/strace.txt") calls for" \
  "$(stat -c %s generated.gds generated.gdf | awk '{ s += $1 } END { printf "%.1f MB", s / 1e6 }') of output."
echo

echo "### Where the time goes (\`perf record -g -e cpu-clock\`, call graph: $call_graph)"
echo
rm -f generated.gds generated.gdf
before_alloc=$(vmstat_of thp_fault_alloc)
before_fallback=$(vmstat_of thp_fault_fallback)
perf record -q -o "$work/perf.data" -e cpu-clock -F 2999 --call-graph "$call_graph" -- \
  "$RPGC" duskvale.gdm >/dev/null 2>"$work/perf.log"
after_alloc=$(vmstat_of thp_fault_alloc)
after_fallback=$(vmstat_of thp_fault_fallback)
echo "Huge page faults of this run: thp_fault_alloc $before_alloc → $after_alloc" \
  "(+$((after_alloc - before_alloc))), thp_fault_fallback +$((after_fallback - before_fallback))."
echo
perf script -i "$work/perf.data" -F comm,tid,ip,sym,dso 2>/dev/null |
  python3 "$bench/profile_summary.py" 20 2999 "$((after_alloc - before_alloc))"
