#!/usr/bin/env bash
# fetch_test.sh SOURCE_DIR: scripts/fetch.sh against a small archive served
# here on the loopback, whose security suite's index is cut short (its size
# is not the one its Release names, as on a mirror mid-sync). What resolves
# from the other suites is fetched, and the bad index is named once; what
# only the bad suite has fails with its name and the release; a kept .deb
# that no longer matches its index is fetched again, a good one is not.
set -euo pipefail
source=$1
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
server=
cleanup() {
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A package: NAME VERSION [DEPENDS], built into the archive's pool.
package() {
  local dir=$work/build/$1_$2
  mkdir -p "$dir/DEBIAN" "$dir/usr/share/$1"
  echo "$1 $2" > "$dir/usr/share/$1/version"
  printf 'Package: %s\nVersion: %s\nArchitecture: armhf\nMaintainer: test <t@example.org>\n%sDescription: %s\n' \
    "$1" "$2" "${3:+Depends: $3
}" "$1" > "$dir/DEBIAN/control"
  mkdir -p "$work/archive/pool"
  dpkg-deb -Zgzip --build "$dir" "$work/archive/pool/$1_$2_armhf.deb" >/dev/null
}
# A suite: TREE SUITE NAME_VERSION..., its index and an unsigned Release.
suite() {
  local tree=$1 suite=$2 index=$work/archive/$1/dists/$2/main/binary-armhf
  shift 2
  mkdir -p "$index"
  [ -e "$work/archive/$tree/pool" ] || ln -s ../pool "$work/archive/$tree/pool"
  for nv in "$@"; do
    deb=$work/archive/pool/${nv}_armhf.deb
    dpkg-deb -f "$deb" Package Version Architecture Maintainer Depends Description
    printf 'Filename: pool/%s\nSize: %s\nSHA256: %s\n\n' "${nv}_armhf.deb" "$(stat -c %s "$deb")" \
      "$(sha256sum < "$deb" | cut -d' ' -f1)"
  done > "$index/Packages"
  printf 'Suite: %s\nCodename: %s\nArchitectures: armhf\nComponents: main\nDate: %s\nSHA256:\n %s %s main/binary-armhf/Packages\n' \
    "$suite" "$suite" "$(LC_ALL=C date -u -R)" "$(sha256sum < "$index/Packages" | cut -d' ' -f1)" \
    "$(stat -c %s "$index/Packages")" > "$work/archive/$tree/dists/$suite/Release"
}
package app 1.0 liba
package liba 1.0
package liba 1.1
package tool 2.0 patched
package patched 1.0
suite debian rel app_1.0 liba_1.0 tool_2.0
suite debian rel-updates liba_1.1
suite debian-security rel-security patched_1.0
truncate -s -20 "$work/archive/debian-security/dists/rel-security/main/binary-armhf/Packages"

python3 -u -m http.server --bind 127.0.0.1 --directory "$work/archive" 0 \
  > "$work/server.log" 2>&1 &
server=$!
for _ in $(seq 100); do
  port=$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$work/server.log")
  [ -z "$port" ] || break
  sleep 0.1
done
[ -n "$port" ] || fail "no archive server: $(cat "$work/server.log")"

# One run of the fetch function in a shell of its own: CASE COMMAND...;
# its stdout, stderr and status in $work/CASE.*.
run() {
  local name=$1
  shift
  set +e
  FETCH_MIRROR=http://127.0.0.1:$port/debian FETCH_SECURITY_MIRROR=http://127.0.0.1:$port/debian-security \
    FETCH_KEYRING= FETCH_TRIES=2 FETCH_PAUSE=0 FETCH_FRESH=0 timeout 60 bash -c \
    ". '$source/scripts/fetch.sh' && fetch_root '$work/root' rel && $*" \
    > "$work/$name.out" 2> "$work/$name.err"
  echo $? > "$work/$name.status"
  set -e
}
fetched() { (cd "$work/$1" 2>/dev/null && ls | tr '\n' ' '); }
served() { grep -c "GET /debian/pool/$1" "$work/server.log" || true; }

# CASE | command | status | what stderr holds | the .debs fetched
cases=(
  "closure|fetch_closure app|0|left out: http://127.0.0.1:$port/debian-security/dists/rel-security/main/binary-armhf/Packages (File has unexpected size|"
  "into|fetch_into $work/into app liba|0|left out: http://127.0.0.1:$port/debian-security/dists/rel-security|app_1.0_armhf.deb liba_1.1_armhf.deb "
  "missing|fetch_into $work/missing app patched|1|fetch: patched cannot be had from rel (armhf)|"
  "unknown|fetch_closure nosuch|1|fetch: nosuch cannot be had from rel (armhf)|"
  "depends|fetch_closure tool|1|what tool depend on cannot be had from rel (armhf)|"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name command status message debs <<<"$row"
  run "$name" "$command"
  [ "$(cat "$work/$name.status")" = "$status" ] ||
    fail "$name: status $(cat "$work/$name.status") ($status wanted): $(cat "$work/$name.err")"
  grep -qF -- "$message" "$work/$name.err" || fail "$name: no '$message' in: $(cat "$work/$name.err")"
  [ "$(grep -c 'left out' "$work/$name.err")" = 1 ] || fail "$name: the bad index named not once: $(cat "$work/$name.err")"
  [ "$(fetched "$name")" = "$debs" ] || fail "$name: fetched '$(fetched "$name")' ('$debs' wanted)"
  echo "ok $name"
done
[ "$(sort "$work/closure.out" | tr '\n' ' ')" = "app liba " ] || fail "closure of app: $(cat "$work/closure.out")"
grep -q "patched" "$work/depends.err" || fail "depends: the missing dependency is not named: $(cat "$work/depends.err")"

# The kept packages: a good one is used as it is, a changed one fetched again.
printf 'x' >> "$work/root/pool/liba_1.1_armhf.deb"
run again "fetch_into $work/again app liba"
[ "$(cat "$work/again.status")" = 0 ] || fail "again: $(cat "$work/again.err")"
cmp -s "$work/again/liba_1.1_armhf.deb" "$work/archive/pool/liba_1.1_armhf.deb" ||
  fail "a changed kept liba was used"
[ "$(served app_1.0)" = 1 ] && [ "$(served liba_1.1)" = 2 ] ||
  fail "downloads: app $(served app_1.0) (1 wanted), liba $(served liba_1.1) (2 wanted)"
echo "ok kept packages: the good one kept, the changed one fetched again"
echo "fetch: ok"
