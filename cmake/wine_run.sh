#!/bin/sh
# Runs one Windows program under the Wine loader given first, for CTest and the build. Its output goes
# through a file, not the caller's pipe: Wine starts its desktop and console helpers on demand (and again
# after they have ended on their own), they inherit the standard handles of the program that woke them and
# outlive it, and a pipe they hold open keeps CTest waiting for its end until the test's timeout.
loader=$1
shift
log=$(mktemp) || exit 1
trap 'cat "$log"; rm -f "$log"' EXIT
"$loader" "$@" >"$log" 2>&1 </dev/null
