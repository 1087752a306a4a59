#!/usr/bin/env bash
# Builds the bundled sample distribution into a fresh site (and the files
# expected after its installation), then runs a test program under Wine
# against the loopback vendor server serving that site.
#
#   with_sample_site.sh WORK ZELTA_DIST PRODUCT FONT -- VENDOR-NET-OPTIONS... -- PROGRAM-COMMAND...
#
# The program sees ZELTA_EXPECT: the folder written by `zelta-dist expect`.
set -euo pipefail

work=${1:?work folder}; dist=${2:?zelta-dist}; product=${3:?product}; font=${4:?font}
shift 4
[ "${1:-}" = "--" ] && shift
net=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do net+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift

here=$(cd "$(dirname "$0")/../.." && pwd)
sample=$here/tools/distribution/sample.dist
rm -rf "$work/site" "$work/expect"
mkdir -p "$work"
defines=(--define "PRODUCT=$product" --define "FONT=$font")
"$dist" "${defines[@]}" site "$sample" "$work/site"
"$dist" "${defines[@]}" expect "$sample" "$work/expect"
export ZELTA_EXPECT=$work/expect
exec "$here/tools/distribution/vendor-net.sh" --site "$work/site" --state "$work/state" "${net[@]}" -- "$@"
