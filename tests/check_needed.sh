#!/usr/bin/env bash
# check_needed.sh BINARY LIB...: the binary's dynamic dependencies are exactly
# LIB...; with no LIB, it is linked statically (no dependency, no loader).
# The C library's program loader does not count: 32-bit ARM programs built
# with the stack protector read its guard from there.
set -u
binary=$1; shift
actual=$(readelf -d "$binary" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' |
         grep -v '^ld-linux[-a-z0-9_]*\.so\.[0-9]*$' | sort)
expected=$(printf '%s\n' "$@" | sort)
if [ "$actual" != "$expected" ]; then
  echo "dependencies of $binary:"; echo "$actual"
  echo "expected:"; echo "$expected"
  exit 1
fi
if [ $# -eq 0 ] && readelf -l "$binary" | grep -q 'Requesting program interpreter'; then
  echo "$binary asks for a program loader: not static"
  exit 1
fi
echo "$binary needs exactly: $(echo $actual)"
