#!/usr/bin/env bash
# install_test.sh BUILD_DIR SOURCE_DIR C_COMPILER: installs the build into a temporary
# DESTDIR, checks the tree, renders both manual pages without a warning,
# builds the example against the installed library through pkg-config and runs
# it in a pseudo-terminal; and checks what a default configure chooses.
set -euo pipefail
build=$1 source=$2 cc=$3
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null
libdir=usr/$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
for f in usr/bin/tessavond usr/bin/Tavlino usr/bin/tavlino usr/share/man/man1/tessavond.1.gz \
         usr/share/man/man1/Tavlino.1.gz usr/share/man/man1/tavlino.1.gz \
         usr/include/termscreen.h $libdir/libtermscreen.a $libdir/pkgconfig/termscreen.pc; do
  [ -f "$dest/$f" ] || fail "missing $f"
done
[ -x "$dest/usr/bin/tessavond" ] && [ -x "$dest/usr/bin/Tavlino" ] || fail "programs not executable"
[ "$(readlink "$dest/usr/bin/tavlino")" = Tavlino ] || fail "tavlino is not a link to Tavlino"
echo "installed tree: ok"

for page in tessavond Tavlino; do
  warnings=$(zcat "$dest/usr/share/man/man1/$page.1.gz" | groff -ww -z -man 2>&1)
  [ -z "$warnings" ] || fail "$page(1): $warnings"
  text=$(MANWIDTH=80 man -l "$dest/usr/share/man/man1/$page.1.gz" 2>&1 | col -b)
  grep -q "^SYNOPSIS" <<<"$text" || fail "$page(1) renders no synopsis"
done
echo "manual pages: ok"

export PKG_CONFIG_PATH=$dest/$libdir/pkgconfig
"$cc" -Wall -Wextra -Werror "$source/examples/bordered_window.c" \
   $(pkg-config --cflags --libs termscreen) -o "$dest/bordered_window"
out=$( (sleep 0.5; printf q; sleep 0.3) | timeout 10 script -qec "$dest/bordered_window" /dev/null)
grep -q 'lqqqqqqqqqqqqqqqqqqqqqqqqqqqqk' <<<"$out" || fail "no border drawn"
grep -q 'Press q to quit.' <<<"$out" || fail "no text drawn"
grep -q $'\033\\[?25h' <<<"$out" || fail "terminal not restored"
echo "example through pkg-config: ok"

# A default configure: warnings stay warnings, the documented font path, the
# hardening flags.
default=$dest/default
cmake -S "$source" -B "$default" -DCLOCKS_TESTS=OFF >/dev/null
grep -qx 'CLOCKS_WERROR:BOOL=OFF' "$default/CMakeCache.txt" || fail "-Werror is on by default"
grep -qx 'CLOCKS_FONT_PATH:FILEPATH=/usr/local/share/fonts/mplus-2p-medium.ttf' \
  "$default/CMakeCache.txt" || fail "the default font path changed"
flags=$(cat "$default"/graphical-clock/CMakeFiles/Tavlino.dir/flags.make)
grep -qE -- '-Werror( |$)' <<<"$flags" && fail "a default build stops on warnings: $flags"
for flag in -fstack-protector-strong -D_FORTIFY_SOURCE=2 -Werror=format-security; do
  grep -q -- "$flag" <<<"$flags" || fail "no $flag in a default build"
done
echo "default configure: ok"
