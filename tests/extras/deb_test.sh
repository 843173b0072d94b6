#!/usr/bin/env bash
# Makes the .deb with CPack from a release build and checks what it holds: the programs,
# the library, the headers, the CMake files, the man pages and the completions. As root
# with dpkg (a CI machine), also installs it, runs the installed programs, removes it and
# checks that nothing is left behind.
# Usage: deb_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
command -v dpkg-deb >/dev/null || { echo "SKIPPED: no dpkg-deb"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log") || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#' >"$out/contents"
status=0
for file in /usr/bin/rpgc /usr/bin/rpgdump /usr/lib/librpgc_reader.a /usr/include/rpgc/reader.h \
  /usr/lib/cmake/rpgc/rpgcConfig.cmake /usr/lib/cmake/rpgc/rpgcTargets.cmake \
  /usr/lib/cmake/rpgc/rpgc_add_content.cmake /usr/share/man/man1/rpgc.1 \
  /usr/share/man/man1/rpgdump.1 /usr/share/bash-completion/completions/rpgc; do
  grep -qxF "$file" "$out/contents" || { echo "FAIL: the package lacks $file"; status=1; }
done
# The formatter and its page and completion.
for file in /usr/bin/rpgfmt /usr/share/man/man1/rpgfmt.1 /usr/share/bash-completion/completions/rpgfmt; do
  grep -qxF "$file" "$out/contents" || { echo "FAIL: the package lacks $file"; status=1; }
done
echo "$(basename "$deb"): $(grep -c -v '/$' "$out/contents") files"
dpkg-deb -f "$deb" Package Version Depends

if [ "$(id -u)" -eq 0 ] && ! dpkg -s rpgc >/dev/null 2>&1; then
  dpkg -i "$deb" >/dev/null
  /usr/bin/rpgc --version && /usr/bin/rpgdump --version || status=1
  dpkg -r rpgc >/dev/null
  for file in $(grep -v '/$' "$out/contents"); do
    [ ! -e "$file" ] || { echo "FAIL: $file is left after removal"; status=1; }
  done
  echo "installed and removed cleanly"
fi
exit $status
