#!/usr/bin/env bash
# package_test.sh BUILD_DIR SOURCE_DIR ARCH: builds the Debian packages for
# ARCH from the build, checks their Depends and file lists, runs lintian on
# them (no error), and runs Tavlino's maintainer scripts against a scratch
# folder.
set -euo pipefail
build=$1 source=$2 arch=$3
fail() { echo "FAIL: $*"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
tessavond=$out/tessavond_1.0.0_$arch.deb tavlino=$out/tavlino_1.0.0_$arch.deb
[ -f "$tessavond" ] && [ -f "$tavlino" ] || fail "packages not built: $(ls "$out")"

depends() { dpkg-deb -f "$1" Depends | tr -d ' ' | tr ',' '\n' | sed 's/(.*//' | sort | tr '\n' ' '; }
[ "$(depends "$tessavond")" = "libc6 " ] || fail "tessavond Depends: $(depends "$tessavond")"
[ "$(depends "$tavlino")" = "fonts-mplus libc6 libsdl-ttf2.0-0 libsdl1.2debian " ] ||
  fail "tavlino Depends: $(depends "$tavlino")"
files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sort | tr '\n' ' '; }
[ "$(files "$tessavond")" = "./usr/bin/tessavond ./usr/share/doc/tessavond/changelog.gz ./usr/share/doc/tessavond/copyright ./usr/share/man/man1/tessavond.1.gz " ] ||
  fail "tessavond files: $(files "$tessavond")"
[ "$(files "$tavlino")" = "./usr/bin/Tavlino ./usr/share/doc/tavlino/changelog.gz ./usr/share/doc/tavlino/copyright ./usr/share/man/man1/Tavlino.1.gz " ] ||
  fail "tavlino files: $(files "$tavlino")"
echo "depends and files: ok"

errors=$(lintian "$tessavond" "$tavlino" 2>/dev/null | grep '^E:' || true)
[ -z "$errors" ] || fail "lintian: $errors"
echo "lintian: no error"

# The font link: made only where nothing is, removed on purge only while it
# is still the package's own. The scripts run with their paths moved into a
# scratch folder.
scratch=$out/root
mkdir -p "$scratch/usr/share/fonts/opentype/mplus"
script_in() { sed "s#/usr/#$scratch/usr/#g" "$source/packaging/tavlino/$1" > "$out/$1"; sh "$out/$1" "$2"; }
font=$scratch/usr/local/share/fonts/mplus-2p-medium.ttf
target=$scratch/usr/share/fonts/opentype/mplus/Mplus2-Medium.otf
script_in postinst configure
[ "$(readlink "$font")" = "$target" ] || fail "postinst made no link"
script_in postrm remove
[ -L "$font" ] || fail "remove took the link away"
script_in postrm purge
[ ! -e "$font" ] && [ ! -L "$font" ] || fail "purge left the link"
mkdir -p "$(dirname "$font")" && echo "a font of the admin's" > "$font"
script_in postinst configure
[ ! -L "$font" ] && grep -q admin "$font" || fail "postinst replaced a font"
script_in postrm purge
[ -f "$font" ] || fail "purge removed a font that was not the package's"
rm "$font" && ln -s /elsewhere.ttf "$font"
script_in postrm purge
[ -L "$font" ] || fail "purge removed a link that was not the package's"
echo "font link: ok"
