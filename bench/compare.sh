#!/usr/bin/env bash
# Times rpgc against `flatc -b` and `protoc --encode` on the same generated content, and
# against `cat` of the sources; measures peak memory; optionally compares the outputs and
# console texts with a reference binary's; runs the hostile inputs and, when the compiler
# has -w, the cost of warnings. Prints figures, never judges them.
#
# Usage: bench/compare.sh [--mix MIX]... [--runs N] [--reference PATH] [SIZES...]
#   SIZES               default: 100000 1000000 (objects; see bench/README.md per mix)
#   --mix MIX           content mix: default, strings, lists, small, large, extend, or all;
#                       repeat it or separate names with commas (default: default)
#   --runs N            timed runs per command (the same as BENCH_RUNS=N)
#   --reference PATH    also compile every mix and size with PATH and `cmp` the outputs,
#                       standard output and standard error; exits 1 when any differ
# Environment:
#   RPGC=/path/to/rpgc   time this binary instead of building the release compiler
#   BENCH_RUNS=N         timed runs per command (default 5, 3 above 200,000 objects)
#   BENCH_WORK=DIR       keep generated data in DIR and reuse it (default: a temporary
#                        folder removed on exit; bench/work/ is git-ignored)
#   BENCH_HOSTILE=0      skip the hostile inputs;  BENCH_WARNINGS=0  skip the -w run
#   BENCH_SEED=S         generator seed (default 1)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bench="$repo/bench"
all_mixes=(default strings lists small large extend)
mixes=()
sizes=()
reference=""
usage() { sed -n '7,20s/^# \{0,1\}//p' "$0" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case $1 in
    --mix) [ $# -ge 2 ] || usage; IFS=, read -r -a names <<<"$2"; mixes+=("${names[@]}"); shift 2 ;;
    --mix=*) IFS=, read -r -a names <<<"${1#--mix=}"; mixes+=("${names[@]}"); shift ;;
    --runs) [ $# -ge 2 ] || usage; BENCH_RUNS=$2; shift 2 ;;
    --runs=*) BENCH_RUNS=${1#--runs=}; shift ;;
    --reference) [ $# -ge 2 ] || usage; reference=$2; shift 2 ;;
    --reference=*) reference=${1#--reference=}; shift ;;
    -h | --help) usage ;;
    -*) echo "compare.sh: unknown option '$1'" >&2; usage ;;
    *) sizes+=("$1"); shift ;;
  esac
done
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)
[ ${#mixes[@]} -gt 0 ] || mixes=(default)
for m in "${mixes[@]}"; do
  if [ "$m" = all ]; then mixes=("${all_mixes[@]}"); break; fi
  [[ " ${all_mixes[*]} " == *" $m "* ]] || { echo "compare.sh: unknown mix '$m'" >&2; usage; }
done
if [ -n "$reference" ]; then
  [ -x "$reference" ] || { echo "compare.sh: no binary at '$reference'" >&2; exit 2; }
  reference=$(realpath "$reference")
fi
seed=${BENCH_SEED:-1}

# --- tools -----------------------------------------------------------------------------
need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
command -v flatc >/dev/null || need+=(flatbuffers-compiler)
command -v protoc >/dev/null || need+=(protobuf-compiler)
[ -x /usr/bin/time ] || need+=(time)
command -v python3 >/dev/null || need+=(python3)
if [ -z "${RPGC:-}" ]; then
  command -v cmake >/dev/null || need+=(cmake)
  command -v ninja >/dev/null || need+=(ninja-build)
  command -v g++ >/dev/null || need+=(g++)
fi
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "compare.sh: missing ${need[*]}; install them (apt-get install ${need[*]}) or run as root" >&2
    exit 1
  fi
  echo "== installing: ${need[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

if [ -z "${RPGC:-}" ]; then
  echo "== building the release compiler"
  (cd "$repo" && cmake --preset release >/dev/null && cmake --build --preset release --target rpgc >/dev/null)
  RPGC="$repo/build/release/rpgc"
fi
RPGC=$(realpath "$RPGC")

if [ -n "${BENCH_WORK:-}" ]; then
  mkdir -p "$BENCH_WORK"
  work=$(realpath "$BENCH_WORK")
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/rpgc-bench.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi
# shellcheck source=bench/common.sh
. "$bench/common.sh"
facts="$work/facts.tsv"
: >"$facts"
fact() { printf '%s\t%s\t%s\t%s\n' "$@" >>"$facts"; }

# Peak resident memory in KiB of one run of a command (GNU time's "Maximum resident set
# size"). Usage: peak_kib INPUT OUTPUT COMMAND...
peak_kib() {
  local log="$work/time.log" in=$1 out=$2
  shift 2
  /usr/bin/time -v -o "$log" "$@" <"$in" >"$out"
  sed -n 's/.*Maximum resident set size (kbytes): //p' "$log"
}

bytes_of() { stat -c %s "$@" | awk '{ s += $1 } END { print s }'; }

runs_for() {
  if [ -n "${BENCH_RUNS:-}" ]; then echo "$BENCH_RUNS"; elif [ "$1" -gt 200000 ]; then echo 3; else echo 5; fi
}

# Compiles the project in DIR with BINARY into DIR/LABEL/ (outputs, standard output and
# standard error). Usage: compile_into BINARY DIR LABEL
compile_into() {
  local binary=$1 dir=$2 label=$3
  rm -rf "${dir:?}/$label" && mkdir -p "$dir/$label"
  rm -f "$dir/generated.gds" "$dir/generated.gdf"
  (cd "$dir" && "$binary" duskvale.gdm >"$label/stdout" 2>"$label/stderr") || true
  mv "$dir/generated.gds" "$dir/generated.gdf" "$dir/$label/" 2>/dev/null || true
}

{
  echo "machine: $(nproc) cores, $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -n 1)," \
    "$(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)"
  echo "rpgc: $RPGC ($("$RPGC" --version 2>/dev/null || echo unknown version))"
  [ -z "$reference" ] || echo "reference: $reference ($("$reference" --version 2>/dev/null || echo unknown version))"
  echo "$(flatc --version), $(protoc --version), $(hyperfine --version)"
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
} | tee "$work/machine.txt"

# --- generated content: rpgc, flatc, protoc and cat in one hyperfine run per mix and size
differing=0
for mix in "${mixes[@]}"; do
for n in "${sizes[@]}"; do
  dir=$(project_dir "$mix" "$n")
  label="$mix:$n"
  generate "$mix" "$n" "$dir" rpgc,json,txtpb
  runs=$(runs_for "$n")
  mkdir -p "$dir/flatc"
  rpgc_cmd="cd '$dir' && '$RPGC' duskvale.gdm >/dev/null"
  flatc_cmd="flatc -b -o '$dir/flatc' '$bench/content.fbs' '$dir/data.json'"
  protoc_cmd="protoc --encode=bench.Content -I '$bench' '$bench/content.proto' <'$dir/data.txtpb' >'$dir/data.binpb'"
  cat_cmd="cat '$dir'/*.txt >/dev/null"
  echo "== timing $mix, size $n ($runs runs each; load $(load))"
  fact size "$label" content "$(content_of "$dir")"
  fact size "$label" load_before "$(load)"
  hyperfine --warmup 1 --runs "$runs" --export-json "$work/time-$mix-$n.json" \
    -n rpgc --prepare "rm -f '$dir/generated.gds' '$dir/generated.gdf'" "$rpgc_cmd" \
    -n flatc --prepare "rm -f '$dir/flatc/data.bin'" "$flatc_cmd" \
    -n protoc --prepare "rm -f '$dir/data.binpb'" "$protoc_cmd" \
    -n cat --prepare "true" "$cat_cmd"
  fact size "$label" load_after "$(load)"
  fact size "$label" hyperfine "$work/time-$mix-$n.json"
  echo "== peak memory, $mix, size $n"
  fact size "$label" peak_rpgc "$(cd "$dir" && peak_kib /dev/null /dev/null "$RPGC" duskvale.gdm)"
  fact size "$label" peak_flatc \
    "$(peak_kib /dev/null /dev/null flatc -b -o "$dir/flatc" "$bench/content.fbs" "$dir/data.json")"
  fact size "$label" peak_protoc "$(peak_kib "$dir/data.txtpb" "$dir/data.binpb" \
    protoc --encode=bench.Content -I "$bench" "$bench/content.proto")"
  fact size "$label" peak_cat "$(peak_kib /dev/null /dev/null cat "$dir"/*.txt)"
  fact size "$label" bytes_sources "$(bytes_of "$dir"/*.txt "$dir/duskvale.gdm")"
  fact size "$label" bytes_outputs "$(bytes_of "$dir/generated.gds" "$dir/generated.gdf")"
  fact size "$label" bytes_json "$(bytes_of "$dir/data.json")"
  fact size "$label" bytes_flatc_out "$(bytes_of "$dir/flatc/data.bin")"
  fact size "$label" bytes_txtpb "$(bytes_of "$dir/data.txtpb")"
  fact size "$label" bytes_protoc_out "$(bytes_of "$dir/data.binpb")"
  if [ -n "$reference" ]; then
    echo "== outputs of $mix, size $n against $reference"
    compile_into "$reference" "$dir" reference
    compile_into "$RPGC" "$dir" tested
    differs=""
    for file in generated.gds generated.gdf stdout stderr; do
      cmp -s "$dir/reference/$file" "$dir/tested/$file" || differs+="${differs:+ }$file"
    done
    [ -s "$dir/reference/generated.gdf" ] || differs+="${differs:+ }(the reference wrote nothing)"
    if [ -n "$differs" ]; then
      differing=1
      echo "   differs: $differs (both kept in $dir/reference and $dir/tested)"
    else
      rm -rf "${dir:?}/reference" "${dir:?}/tested"
    fi
    fact size "$label" reference "${differs:-identical}"
  fi
done
done

# --- hostile inputs ----------------------------------------------------------------------
if [ "${BENCH_HOSTILE:-1}" != 0 ]; then
  for kind in atoms tokens; do
    dir="$work/hostile-$kind"
    if [ ! -f "$dir/.complete" ]; then
      rm -rf "$dir"
      echo "== generating the hostile input: $kind"
      if [ "$kind" = atoms ]; then
        python3 "$bench/generate_project.py" hostile-atoms 100000000 "$dir"
      else
        python3 "$bench/generate_project.py" hostile-tokens 50000000 "$dir"
      fi
      touch "$dir/.complete"
    fi
    echo "== timing the hostile input: $kind"
    hyperfine --warmup 1 --runs 3 --export-json "$work/time-hostile-$kind.json" \
      -n "rpgc $kind" --prepare "rm -f '$dir/database.gds' '$dir/database.gdf'" \
      "cd '$dir' && '$RPGC' Hostile hostile.txt >/dev/null"
    fact hostile "$kind" hyperfine "$work/time-hostile-$kind.json"
    fact hostile "$kind" peak_rpgc "$(cd "$dir" && peak_kib /dev/null /dev/null "$RPGC" Hostile hostile.txt)"
    fact hostile "$kind" bytes_sources "$(bytes_of "$dir/hostile.txt")"
    fact hostile "$kind" bytes_outputs "$(bytes_of "$dir/database.gds" "$dir/database.gdf")"
    rm -f "$dir/database.gds" "$dir/database.gdf"
  done
fi

# --- the cost of warnings ----------------------------------------------------------------
if [ "${BENCH_WARNINGS:-1}" != 0 ]; then
  if "$RPGC" --help 2>&1 | grep -q -- '-w\b'; then
    dir="$work/w200000"
    generate default 200000 "$dir" rpgc
    echo "== timing 200000 objects with and without -w"
    hyperfine --warmup 1 --runs "$(runs_for 200000)" --export-json "$work/time-warnings.json" \
      --prepare "rm -f '$dir/generated.gds' '$dir/generated.gdf'" \
      -n "rpgc" "cd '$dir' && '$RPGC' duskvale.gdm >/dev/null 2>&1" \
      -n "rpgc -w" "cd '$dir' && '$RPGC' -w duskvale.gdm >/dev/null 2>&1"
    fact warnings 200000 hyperfine "$work/time-warnings.json"
    fact warnings 200000 warning_lines \
      "$(cd "$dir" && { "$RPGC" -w duskvale.gdm 2>&1 >/dev/null || true; } | grep -c 'warning' || true)"
  else
    echo "== $RPGC has no -w option: the warnings run is skipped"
  fi
fi

echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$work/machine.txt"
echo
python3 "$bench/summarize.py" "$facts"
if [ "$differing" != 0 ]; then
  echo "compare.sh: the outputs differ from the reference binary's (see the table above)" >&2
  exit 1
fi
