#!/usr/bin/env bash
# widl writes the time it ran into the type library's documentation string,
# which the module carries: the same sources must give the same bytes, so the
# time (24 characters) becomes a fixed one of the same length.
# Usage: typelib-without-date.sh TLB
set -euo pipefail
perl -0777 -pi -e 's/(Created by WIDL version [0-9.]+ at ).{24}/${1}Thu Jan  1 00:00:00 1970/s' "$1"
grep -aq 'at Thu Jan  1 00:00:00 1970' "$1"
