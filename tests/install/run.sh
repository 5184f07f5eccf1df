#!/usr/bin/env bash
# Installs the built library into a scratch prefix, then builds and runs a program outside the
# project against it twice: through find_package(KOL) and through pkg-config.
# Arguments: source dir, build dir, sanitizer list (may be empty).
set -euo pipefail
src=$1 build=$2 sanitize=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" > "$work/install.log"
flags=""
[ -n "$sanitize" ] && flags="-fsanitize=$sanitize"

test -f "$work/prefix/include/kol/core/Strings.h"
test -f "$work/prefix/share/kol/units.lup"
ls "$work/prefix"/lib*/libkol.so.* > /dev/null

cmake -S "$src/tests/install/consumer" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_CXX_FLAGS="$flags" > "$work/cmake.log"
cmake --build "$work/cmake" > "$work/build.log"
libdir=$(dirname "$(ls "$work/prefix"/lib*/libkol.so | head -1)")
out=$(LD_LIBRARY_PATH="$libdir" "$work/cmake/consumer" -pd=us)
[ "$out" = "consumer us" ] || { echo "find_package consumer printed: $out"; exit 1; }

# Nothing configured: the library finds the database it was installed with.
out=$(env -u kolfpath -u koldefault LD_LIBRARY_PATH="$libdir" "$work/cmake/lookup")
[ "$out" = "39.9 -104.7 temp" ] || { echo "lookup printed: $out"; exit 1; }

# Installed programs find the installed library by themselves.
for prog in "$work/prefix/bin"/*; do
  if env -u LD_LIBRARY_PATH ldd "$prog" | grep -q "not found"; then
    echo "$(basename "$prog") does not find its libraries without LD_LIBRARY_PATH"; exit 1
  fi
done
(cd "$work" && env -u LD_LIBRARY_PATH -u kolfpath "$work/prefix/bin/kolres" -help > /dev/null) ||
  { echo "installed kolres does not run"; exit 1; }

# All installed headers compile together: none includes a header that was not installed.
(cd "$work/prefix/include/kol" && find . -name '*.h' | sed 's|^\./||' | sort) |
  while read -r h; do printf '#include <%s>\n' "$h"; done > "$work/all.cpp"
g++ -std=c++17 -fsyntax-only -I"$work/prefix/include/kol" "$work/all.cpp" ||
  { echo "the installed headers do not compile"; exit 1; }

export PKG_CONFIG_PATH="$libdir/pkgconfig"
# shellcheck disable=SC2046
g++ -std=c++17 $flags "$src/tests/install/consumer/main.cpp" -o "$work/pc" $(pkg-config --cflags --libs kol)
out=$(LD_LIBRARY_PATH="$libdir" "$work/pc" -plot_d=eu)
[ "$out" = "pc eu" ] || { echo "pkg-config consumer printed: $out"; exit 1; }
echo "installed library used through find_package and pkg-config"
