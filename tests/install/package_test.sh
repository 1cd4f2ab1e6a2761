#!/usr/bin/env bash
# package_test.sh BUILD_DIR SOURCE_DIR ARCH CC: builds the Debian packages for
# ARCH from the build (configured as cmake/debian.cmake says), checks their
# Depends, file lists and hardening, runs lintian on them (no error, no
# warning), and installs and purges them in a scratch root: nothing is left,
# and nothing ever goes under /usr/local.
set -euo pipefail
build=$1 source=$2 arch=$3 cc=$4
fail() { echo "FAIL: $*"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
tessavond=$out/tessavond_1.0.0_$arch.deb tavlino=$out/tavlino_1.0.0_$arch.deb
dev=$out/libtermscreen-dev_1.0.0_$arch.deb
[ -f "$tessavond" ] && [ -f "$tavlino" ] && [ -f "$dev" ] || fail "packages not built: $(ls "$out")"

depends() { dpkg-deb -f "$1" Depends | tr -d ' ' | tr ',' '\n' | sed 's/(.*//' | sort | tr '\n' ' '; }
[ "$(depends "$tessavond")" = "libc6 " ] || fail "tessavond Depends: $(depends "$tessavond")"
[ "$(depends "$tavlino")" = "fonts-mplus libc6 libsdl-ttf2.0-0 libsdl1.2debian " ] ||
  fail "tavlino Depends: $(depends "$tavlino")"
[ "$(dpkg-deb -f "$tavlino" Recommends)" = "libgl1, libegl1, libegl-mesa0, libgl1-mesa-dri" ] ||
  fail "tavlino Recommends: $(dpkg-deb -f "$tavlino" Recommends)"
files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sort | tr '\n' ' '; }
[ "$(files "$tessavond")" = "./usr/bin/tessavond ./usr/share/doc/tessavond/changelog.gz ./usr/share/doc/tessavond/copyright ./usr/share/man/man1/tessavond.1.gz " ] ||
  fail "tessavond files: $(files "$tessavond")"
[ "$(files "$tavlino")" = "./usr/bin/Tavlino ./usr/bin/tavlino ./usr/lib/systemd/system/tavlino.service ./usr/lib/sysusers.d/tavlino.conf ./usr/lib/udev/rules.d/60-tavlino.rules ./usr/share/doc/tavlino/changelog.gz ./usr/share/doc/tavlino/copyright ./usr/share/man/man1/Tavlino.1.gz ./usr/share/man/man1/tavlino.1.gz " ] ||
  fail "tavlino files: $(files "$tavlino")"
multiarch=$(dpkg-architecture -a"$arch" -qDEB_HOST_MULTIARCH 2>/dev/null)
[ "$(files "$dev")" = "./usr/include/termscreen.h ./usr/lib/$multiarch/libtermscreen.a ./usr/lib/$multiarch/pkgconfig/termscreen.pc ./usr/share/doc/libtermscreen-dev/changelog.gz ./usr/share/doc/libtermscreen-dev/copyright ./usr/share/doc/libtermscreen-dev/examples/bordered_window.c " ] ||
  fail "libtermscreen-dev files: $(files "$dev")"
for deb in "$tessavond" "$tavlino" "$dev"; do
  control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sort | tr '\n' ' ')
  [ "$control" = "./control ./md5sums " ] || fail "$(basename "$deb") carries $control"
done
echo "depends, files, no maintainer scripts: ok"

# Hardened as far as this release's dpkg-buildflags hardens a program for the
# architecture: a small program built with its flags shows which of the
# protections that not every release has (Debian 13's C start-up files, for
# one, carry no control-flow marks) the flags give here.
dpkg-deb -x "$tavlino" "$out/tree"
dpkg-deb -x "$tessavond" "$out/tree"
buildflags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all CC=$cc dpkg-architecture -a"$arch" -c dpkg-buildflags --get "$1" 2>/dev/null; }
printf '#include <stdio.h>\n#include <string.h>\nint main(int argc, char **argv)\n{ char big[70000]; strncpy(big, argv[0], sizeof big - 1); big[sizeof big - 1] = 0; puts(big + argc); return 0; }\n' > "$out/probe.c"
# shellcheck disable=SC2046 # the flags are words
"$cc" $(buildflags CPPFLAGS) $(buildflags CFLAGS) $(buildflags LDFLAGS) "$out/probe.c" -o "$out/probe"
probe=$(hardening-check "$out/probe" 2>&1 || true)
usage=$(hardening-check --help 2>&1 || true)
not_given=() # options this hardening-check has, for protections the probe lacks
for pair in "Stack clash protection:--nostackclash" "Control flow integrity:--nocfprotection" \
            "Branch Protection:--nobranchprotection"; do
  if [[ $probe != *"${pair%%:*}: yes"* && $usage == *"${pair#*:}"* ]]; then
    not_given+=("${pair#*:}")
  fi
done
hardening-check "${not_given[@]}" "$out/tree/usr/bin/Tavlino" "$out/tree/usr/bin/tessavond" ||
  fail "hardening-check ${not_given[*]}"
echo "hardening-check ${not_given[*]}: ok"
grep -q /usr/share/fonts/opentype/mplus/Mplus2-Medium.otf "$out/tree/usr/bin/Tavlino" ||
  fail "Tavlino does not read the font where fonts-mplus puts it"

# The unit as systemd reads it, running the packaged program (no mount or
# install needed); and the system user its sysusers file makes.
unit=$out/tree/usr/lib/systemd/system/tavlino.service
grep -qx 'ExecStart=/usr/bin/Tavlino' "$unit" || fail "the unit does not start /usr/bin/Tavlino"
sed "s#^ExecStart=/usr/bin/#ExecStart=$out/tree/usr/bin/#" "$unit" > "$out/tavlino.service"
verify=$(systemd-analyze verify --man=no "$out/tavlino.service" 2>&1 || echo failed)
[ -z "$verify" ] || fail "systemd-analyze verify tavlino.service: $verify"
mkdir -p "$out/users/etc"
printf 'root:x:0:0::/root:/bin/sh\n' > "$out/users/etc/passwd"
printf 'root:x:0:\nvideo:x:44:\ninput:x:101:\n' > "$out/users/etc/group"
systemd-sysusers --root="$out/users" "$out/tree/usr/lib/sysusers.d/tavlino.conf" >/dev/null 2>&1
grep -q '^tavlino:x:[0-9]*:[0-9]*:.*:/usr/sbin/nologin$' "$out/users/etc/passwd" &&
  grep -q '^video:x:44:tavlino$' "$out/users/etc/group" && grep -q '^input:x:101:tavlino$' "$out/users/etc/group" ||
  fail "sysusers made no tavlino in video and input"
echo "systemd unit and its user: ok"

# The unit's exposure, as systemd rates it, no worse than systemd-timesyncd's
# (2.3), the system's own service that sets the clock.
score=$(systemd-analyze security --offline=true --man=no "$out/tavlino.service" 2>&1 |
        sed -n 's/.*Overall exposure level for tavlino.service: \([0-9.]*\).*/\1/p')
echo "systemd-analyze security --offline=true: exposure $score"
[ -n "$score" ] && awk -v s="$score" 'BEGIN { exit !(s <= 2.3) }' || fail "exposure $score above 2.3"
# The udev rules: the display as the device unit the service waits for, and
# the hardware clock opened to Tavlino's group.
rules=$out/tree/usr/lib/udev/rules.d/60-tavlino.rules
grep -v '^#' "$rules"
alias=$(sed -n 's/.*SYSTEMD_ALIAS}+="\/sys\/\([^"]*\)".*/sys-\1.device/p' "$rules" | tr / - | sort -u)
[ "$(grep -c 'TAG+="systemd"' "$rules")" = 3 ] && [ "$(echo "$alias" | wc -l)" = 1 ] &&
  grep -qx "After=$alias" "$unit" && grep -qx "Wants=$alias" "$unit" ||
  fail "the unit waits for no display the rules name ($alias)"
grep -q '^SUBSYSTEM=="rtc", KERNEL=="rtc0", GROUP="tavlino", MODE="0660", TAG+="systemd"$' "$rules" &&
  grep -qx "After=dev-rtc0.device" "$unit" || fail "no rule opens rtc0 to the tavlino group before the start"
! grep -q '^ExecStartPre=.*rtc0' "$unit" || fail "the unit changes rtc0 itself"
echo "udev rules: ok"

complaints=$(lintian "$tessavond" "$tavlino" "$dev" 2>/dev/null | grep -E '^(E|W):' || true)
[ -z "$complaints" ] || fail "lintian: $complaints"
echo "lintian: no error, no warning"

# Installed and purged in a scratch root with its own package database.
root=$out/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
in_root() { dpkg --root="$root" --log=/dev/null --force-depends --force-architecture "$@" >/dev/null 2>&1; }
in_root -i "$tessavond" "$tavlino" "$dev" || fail "dpkg -i"
[ -x "$root/usr/bin/tavlino" ] || fail "no tavlino command"
in_root --purge tessavond tavlino libtermscreen-dev || fail "dpkg --purge"
left=$(cd "$root" && find . -mindepth 1 -not -path './var/lib/dpkg*' -not -path ./var/lib -not -path ./var)
[ -z "$left" ] || fail "left after purge: $left"
echo "install and purge: nothing left"
