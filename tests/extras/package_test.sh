#!/usr/bin/env bash
# Installs the build into a temporary prefix, then builds a small game against it with
# find_package(rpgc): its content compiled by rpgc_add_content, its loader linked with
# rpgc::reader. Checks the installed files, that the loader links the reader library
# alone (no compiler library, no threads), its reading of the compiled files, and that
# the content is compiled only when needed: once at first, not at all on a second build,
# exactly once after a source is touched.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR CXX_COMPILER [CXX_FLAGS]
set -u
build=$1 repo=$2 cxx=$3 flags=${4:-}
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" || {
  cat "$work/install.log"; exit 1; }
for file in bin/rpgc bin/rpgdump lib/librpgc_reader.a include/rpgc/reader.h \
  lib/cmake/rpgc/rpgcConfig.cmake lib/cmake/rpgc/rpgcConfigVersion.cmake \
  lib/cmake/rpgc/rpgcTargets.cmake lib/cmake/rpgc/rpgc_add_content.cmake \
  share/man/man1/rpgc.1 share/man/man1/rpgdump.1 \
  share/bash-completion/completions/rpgc share/bash-completion/completions/rpgdump; do
  [ -e "$work/prefix/$file" ] || fail "the install lacks $file"
done

for file in bin/rpgfmt share/man/man1/rpgfmt.1 share/bash-completion/completions/rpgfmt; do
  [ -e "$work/prefix/$file" ] || fail "the install lacks $file"
done

# The game: its sources and the example's content, the way a game keeps them.
cp -r "$repo/tests/extras/game" "$work/game"
cp "$repo/docs/examples/load_database.cpp" "$work/game/"
cp -r "$repo/examples/duskvale" "$work/game/content"
rm -f "$work/game/content/"*.gd[sf]

cmake -S "$work/game" -B "$work/game/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$flags" >"$work/configure.log" 2>&1 || {
  cat "$work/configure.log"; exit 1; }

# build LOG: builds the game, output in LOG; the number of content compilations in $compiled.
build() {
  cmake --build "$work/game/build" >"$work/$1" 2>&1 || { cat "$work/$1"; fail "build $1"; }
  compiled=$(grep -c 'Compiling content duskvale' "$work/$1")
}

# The loader's link line: the reader library and nothing of the compiler.
link=$(ninja -C "$work/game/build" -t commands game | tail -1)
case $link in *librpgc_reader.a*) ;; *) fail "the game does not link librpgc_reader.a: $link" ;; esac
case $link in *rpgc_compiler* | *pthread*) fail "the game links more than the reader: $link" ;; esac
[ -e "$work/prefix/lib/librpgc_compiler.a" ] && fail "the compiler library is installed"

build first.log
[ "$compiled" -eq 1 ] || fail "the first build compiled the content $compiled times"
data="$work/game/build/data"
cmp -s "$data/duskvale.gds" "$repo/tests/driver/golden/duskvale.gds" || fail "duskvale.gds differs"
cmp -s "$data/duskvale.gdf" "$repo/tests/driver/golden/duskvale.gdf" || fail "duskvale.gdf differs"
loaded=$("$work/game/build/game" "$data/duskvale.gds" "$data/duskvale.gdf" | head -1)
[ "$loaded" = "Duskvale, version 1: 27 objects, 19 string sections" ] ||
  fail "the game read: $loaded"

build second.log
grep -q 'no work to do' "$work/second.log" || { cat "$work/second.log"; fail "a second build did work"; }

sleep 1  # a new modification time even where the file system keeps whole seconds
touch "$work/game/content/items.txt"
build touched.log
[ "$compiled" -eq 1 ] || { cat "$work/touched.log"; fail "touching a source compiled $compiled times"; }
grep -q 'Linking' "$work/touched.log" && fail "touching a source linked the game again"
build after.log
grep -q 'no work to do' "$work/after.log" || { cat "$work/after.log"; fail "the build after did work"; }

[ "$failed" -eq 0 ] && echo "installed, built the game, compiled its content only when needed"
exit "$failed"
