#!/usr/bin/env bash
# check_needed.sh BINARY LIB...: the binary's dynamic dependencies are exactly LIB...
set -u
binary=$1; shift
actual=$(readelf -d "$binary" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | sort)
expected=$(printf '%s\n' "$@" | sort)
if [ "$actual" != "$expected" ]; then
  echo "dependencies of $binary:"; echo "$actual"
  echo "expected:"; echo "$expected"
  exit 1
fi
echo "$binary needs exactly: $(echo $actual)"
