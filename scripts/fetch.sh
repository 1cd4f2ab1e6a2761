# scripts/fetch.sh, sourced by the scripts that need Debian packages of
# another architecture (armhf: the cross sysroot, the boards): fetches them
# through a private apt root, a folder with its own sources, lists, cache and
# an empty status, so neither this machine's package database nor its dpkg
# architectures are read or changed.
#
#   fetch_root ROOT RELEASE        ROOT set up for RELEASE, its indexes read
#   fetch_closure PACKAGE...       the names of the packages and of all they
#                                  depend on, one a line
#   fetch_depends_on PACKAGE WORD  the package PACKAGE depends on whose name
#                                  starts with WORD (a kernel's real package)
#   fetch_into DIR PACKAGE...      DIR holds exactly those packages' .debs
#
# The .debs stay in ROOT/pool for the next run, and each is used only when
# its SHA256 is the one the index gives: a broken or stale file is fetched
# again, never trusted. An index that cannot be read is tried FETCH_TRIES
# times, FETCH_PAUSE seconds apart (a mirror may be mid-sync), then left out
# with one line that names it; a package that is then not to be had fails
# with its name and the release. fetch_update does the same for any apt.
#
# Where from: FETCH_MIRROR, FETCH_SECURITY_MIRROR and FETCH_ARCH; an empty
# FETCH_KEYRING takes an unsigned archive (the tests serve one). A root's
# indexes are read again after FETCH_FRESH seconds (600).

fetch_say() { echo "fetch: $*" >&2; }

# fetch_update APT_OPTION...: apt-get update with those options, retried;
# an index still failing after the last try is named and left out (apt then
# keeps the list it had, if any). Never fails by itself: what matters is
# whether the packages resolve.
fetch_update() {
  local tries=${FETCH_TRIES:-3} pause=${FETCH_PAUSE:-5} try out failed
  for ((try = 1; ; try++)); do
    out=$(apt-get -q "$@" update 2>&1) && return 0
    [ "$try" -lt "$tries" ] || break
    sleep "$pause"
  done
  failed=$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\) *\(.*\)/\1 (\2)/p' <<<"$out" | sort -u)
  [ -n "$failed" ] || failed=$(grep '^E:' <<<"$out" || echo "apt-get update failed")
  while read -r line; do
    fetch_say "after $tries tries, left out: $line"
  done <<<"$failed"
}

fetch_root() {
  FETCH_ROOT=$1 FETCH_RELEASE=$2 FETCH_ARCH=${FETCH_ARCH:-armhf}
  local mirror=${FETCH_MIRROR:-http://deb.debian.org/debian}
  local security=${FETCH_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
  local keyring=${FETCH_KEYRING-/usr/share/keyrings/debian-archive-keyring.gpg}
  local options="arch=$FETCH_ARCH ${keyring:+signed-by=$keyring}"
  [ -n "$keyring" ] || options+=" trusted=yes"
  mkdir -p "$FETCH_ROOT/lists/partial" "$FETCH_ROOT/cache/archives/partial" "$FETCH_ROOT/pool"
  : > "$FETCH_ROOT/status"
  printf 'deb [%s] %s\n' "$options" "$mirror $FETCH_RELEASE main" \
    "$options" "$mirror $FETCH_RELEASE-updates main" \
    "$options" "$security $FETCH_RELEASE-security main" > "$FETCH_ROOT/sources.list"
  FETCH_APT=(-o Dir::State="$FETCH_ROOT" -o Dir::State::Lists="$FETCH_ROOT/lists"
             -o Dir::State::status="$FETCH_ROOT/status" -o Dir::Cache="$FETCH_ROOT/cache"
             -o Dir::Etc::SourceList="$FETCH_ROOT/sources.list" -o Dir::Etc::SourceParts=/dev/null
             -o Dir::Etc::Preferences=/dev/null -o Dir::Etc::PreferencesParts=/dev/null
             -o APT::Architecture="$FETCH_ARCH" -o APT::Architectures::="$FETCH_ARCH"
             -o APT::Install-Recommends=0 -o Acquire::Retries=3 -o Debug::NoLocking=1
             -o APT::Sandbox::User=root)
  # Read at most once in FETCH_FRESH seconds (the parts of one CI run share
  # a root): what changes on a mirror within minutes is what a retry waits
  # out anyway.
  local stamp=$FETCH_ROOT/lists/.read
  if [ -z "$(find "$stamp" -newermt "-${FETCH_FRESH:-600} seconds" 2>/dev/null)" ] ||
     ! cmp -s "$FETCH_ROOT/sources.list" "$stamp"; then
    fetch_update "${FETCH_APT[@]}"
    cp "$FETCH_ROOT/sources.list" "$stamp"
  fi
}

# Each named package has a version to fetch, or each missing one is named.
fetch_known() {
  local p missing=0 have
  have=$(apt-cache "${FETCH_APT[@]}" policy "$@" 2>/dev/null |
         awk '/^[^ ]/ {name = $1; sub(/:$/, "", name)}
              $1 == "Candidate:" && $2 != "(none)" {print name}')
  for p in "$@"; do
    if ! grep -qxF -- "${p%%=*}" <<<"$have"; then
      fetch_say "$p cannot be had from $FETCH_RELEASE ($FETCH_ARCH)"
      missing=1
    fi
  done
  return $missing
}

fetch_closure() {
  local out
  fetch_known "$@" || return 1
  if ! out=$(apt-get "${FETCH_APT[@]}" -s install "$@" 2>&1); then
    grep -E '^ |^E:' <<<"$out" >&2
    fetch_say "what $* depend on cannot be had from $FETCH_RELEASE ($FETCH_ARCH)"
    return 1
  fi
  awk '/^Inst / {print $2}' <<<"$out"
}

fetch_depends_on() {
  local name
  fetch_known "$1" || return 1
  name=$(apt-cache "${FETCH_APT[@]}" depends "$1" |
         awk -v w="$2" '$1 == "Depends:" && index($2, w) == 1 {print $2; exit}')
  [ -n "$name" ] || { fetch_say "$1 depends on no $2* in $FETCH_RELEASE"; return 1; }
  echo "$name"
}

# Whether FILE's SHA256 is HASH ("SHA256:hex").
fetch_verified() { [ -f "$1" ] && [ "SHA256:$(sha256sum < "$1" | cut -d' ' -f1)" = "$2" ]; }

fetch_into() {
  local dir=$1 uris uri file size hash pool=$FETCH_ROOT/pool incoming=$FETCH_ROOT/incoming
  local wanted=() missing=()
  shift
  fetch_known "$@" || return 1
  # One line a package: 'URI' FILE SIZE SHA256:HASH.
  uris=$(cd "$FETCH_ROOT/cache" && apt-get "${FETCH_APT[@]}" --print-uris download "$@") ||
    { fetch_say "no addresses for $* in $FETCH_RELEASE"; return 1; }
  while read -r uri file size hash; do
    [ -n "$file" ] || continue
    wanted+=("$file:$hash")
    fetch_verified "$pool/$file" "$hash" || missing+=("$(fetch_package_of "$file")")
  done <<<"$uris"
  if [ ${#missing[@]} -gt 0 ]; then
    rm -rf "$incoming"
    mkdir -p "$incoming"
    (cd "$incoming" && apt-get -q "${FETCH_APT[@]}" download "${missing[@]}" >/dev/null) ||
      { fetch_say "could not download ${missing[*]} from $FETCH_RELEASE"; return 1; }
    mv -f "$incoming"/*.deb "$pool/"
    rm -rf "$incoming"
  fi
  rm -rf "$dir"
  mkdir -p "$dir"
  for file in "${wanted[@]}"; do
    fetch_verified "$pool/${file%%:*}" "${file#*:}" ||
      { fetch_say "${file%%:*} from $FETCH_RELEASE does not match its index"; return 1; }
    ln "$pool/${file%%:*}" "$dir/" 2>/dev/null || cp "$pool/${file%%:*}" "$dir/"
  done
}

# fetch_verify_cache FILE...: each of those .debs that is there but whose
# SHA256 is not the one this machine's apt index gives for its name, version
# and architecture is removed, so that apt, which takes a cached file of the
# right size as it is, fetches it again.
fetch_verify_cache() {
  local files=() f wanted
  for f in "$@"; do [ -f "$f" ] && files+=("$f"); done
  [ ${#files[@]} -gt 0 ] || return 0
  # shellcheck disable=SC2046 # name=version words
  wanted=$(apt-cache show $(for f in "${files[@]}"; do fetch_package_of "$f"; done) 2>/dev/null |
           awk '$1 == "Package:" {p = $2} $1 == "Version:" {v = $2} $1 == "Architecture:" {a = $2}
                $1 == "SHA256:" {gsub(/:/, "%3a", v); print p "_" v "_" a ".deb " $2}')
  sha256sum "${files[@]}" | while read -r hash f; do
    if ! grep -qxF "$(basename "$f") $hash" <<<"$wanted"; then
      echo "fetch: $f is not what the index holds; fetched again" >&2
      rm -f "$f"
    fi
  done
}

# name=version of a .deb's file name (NAME_VERSION_ARCH.deb, ':' as %3a).
fetch_package_of() {
  local base
  base=$(basename "$1" .deb)
  base=${base%_*}
  echo "${base%%_*}=${base#*_}" | sed 's/%3a/:/g'
}
