#!/usr/bin/env bash
# The portable core must mean the same bytes to every compiler (clang has no
# -fexec-charset): its sources hold ASCII only, Windows-1250 text as escapes.
status=0
for f in "$@"; do
  if LC_ALL=C grep -nP '[^\x00-\x7F]' "$f"; then
    echo "$f: non-ASCII bytes (write them as \\x escapes)" >&2
    status=1
  fi
done
exit $status
