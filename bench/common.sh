# Shared by compare.sh and profile.sh (sourced, not run): where a generated project lives
# and how it is made. Expects $bench (this folder), $work (the data folder) and $seed.

# The folder of the project of MIX and SIZE. Usage: project_dir MIX SIZE
project_dir() {
  if [ "$1" = default ]; then echo "$work/p$2"; else echo "$work/$1-p$2"; fi
}

# Generates a project of MIX and SIZE in DIR unless one is there already, written by the
# same generator (its hash is in the stamp's name) in FORMATS or in more formats than
# that. The stamp holds the generator's summary line (objects, sections, blocks, files).
# Usage: generate MIX SIZE DIR FORMATS
generate() {
  local mix=$1 n=$2 dir=$3 formats=$4 hash stamp
  hash=$(sha256sum "$bench/generate_project.py" | cut -c1-12)
  stamp="$dir/.complete-$mix-$seed-$formats-$hash"
  [ -f "$stamp" ] && return 0
  if [ "$formats" = rpgc ] && compgen -G "$dir/.complete-$mix-$seed-*-$hash" >/dev/null; then
    return 0
  fi
  rm -rf "$dir"
  echo "== generating $mix, size $n ($formats) in $dir"
  python3 "$bench/generate_project.py" --seed "$seed" --mix "$mix" --formats "$formats" "$n" "$dir" \
    | tee "$dir.summary"
  mv "$dir.summary" "$stamp"
}

# The generator's summary line of the project in DIR.
content_of() { cat "$1"/.complete-* 2>/dev/null | head -n 1; }

# The load average of the last minute.
load() { cut -d' ' -f1 /proc/loadavg; }
