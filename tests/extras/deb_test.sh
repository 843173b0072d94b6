#!/usr/bin/env bash
# Makes the .deb with CPack from a release build and checks what it holds: the programs
# (stripped), the library, the headers, the CMake files, the man pages (compressed), the
# completions, the copyright and changelog, and its control fields. As root with dpkg (a
# CI machine), also installs it, runs the installed programs, removes it and checks that
# nothing is left behind. With OUTPUT_DIR, the .deb is left there (for lintian).
# Usage: deb_test.sh BUILD_DIR [OUTPUT_DIR]
set -euo pipefail
build=$(cd "$1" && pwd)
command -v dpkg-deb >/dev/null || { echo "SKIPPED: no dpkg-deb"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log") || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#' >"$out/contents"
status=0
fail() { echo "FAIL: $*"; status=1; }
for file in /usr/bin/rpgc /usr/bin/rpgdump /usr/lib/librpgc_reader.a /usr/include/rpgc/reader.h \
  /usr/lib/cmake/rpgc/rpgcConfig.cmake /usr/lib/cmake/rpgc/rpgcTargets.cmake \
  /usr/lib/cmake/rpgc/rpgc_add_content.cmake /usr/share/man/man1/rpgc.1.gz \
  /usr/share/man/man1/rpgdump.1.gz /usr/share/bash-completion/completions/rpgc \
  /usr/share/bash-completion/completions/rpgdump /usr/share/doc/rpgc/copyright \
  /usr/share/doc/rpgc/changelog.gz /usr/share/doc/rpgc/reading-files.md; do
  grep -qxF "$file" "$out/contents" || fail "the package lacks $file"
done
# The formatter and the language server, with their pages, and the formatter's completion.
for file in /usr/bin/rpgfmt /usr/share/man/man1/rpgfmt.1.gz \
  /usr/share/bash-completion/completions/rpgfmt /usr/bin/rpgc-lsp \
  /usr/share/man/man1/rpgc-lsp.1.gz; do
  grep -qxF "$file" "$out/contents" || fail "the package lacks $file"
done
echo "$(basename "$deb"): $(grep -c -v '/$' "$out/contents") files"
dpkg-deb -f "$deb" Package Version Depends Recommends

# The control fields: bash-completion loads the completions; the description is text,
# without the ';' that joins the items of a CMake list.
dpkg-deb -f "$deb" Recommends | grep -qw bash-completion || fail "bash-completion is not recommended"
if dpkg-deb -f "$deb" Description | grep -q ';'; then
  fail "the description holds a ';': $(dpkg-deb -f "$deb" Description)"
fi
# The programs come without symbol tables, the man pages compressed.
dpkg-deb -x "$deb" "$out/root"
if command -v readelf >/dev/null; then
  for program in rpgc rpgdump rpgfmt rpgc-lsp; do
    ! readelf -S "$out/root/usr/bin/$program" | grep -q '\.symtab' || fail "$program is not stripped"
  done
fi
for page in rpgc rpgdump rpgfmt rpgc-lsp; do
  gzip -t "$out/root/usr/share/man/man1/$page.1.gz" || fail "$page.1.gz is not gzip"
done

if [ "$(id -u)" -eq 0 ] && ! dpkg -s rpgc >/dev/null 2>&1; then
  dpkg -i "$deb" >/dev/null
  /usr/bin/rpgc --version && /usr/bin/rpgdump --version || status=1
  dpkg -r rpgc >/dev/null
  for file in $(grep -v '/$' "$out/contents"); do
    [ ! -e "$file" ] || fail "$file is left after removal"
  done
  echo "installed and removed cleanly"
fi
if [ $# -ge 2 ]; then
  mkdir -p "$2" && cp "$deb" "$2/"
fi
exit $status
