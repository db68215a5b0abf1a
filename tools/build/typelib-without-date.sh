#!/usr/bin/env bash
# widl writes the time it ran into the type library twice, as MIDL does: as
# the text "Created by WIDL version V at DATE" and, right after it, as a
# 32-bit count of seconds (VT_UI4, 13 00). The module carries the type
# library, and the same sources must give the same bytes: the text becomes a
# fixed one of the same length and the count 0.
# Usage: typelib-without-date.sh TLB
set -euo pipefail
perl -0777 -pi -e 's/(Created by WIDL version [0-9.]+ at ).{24}(\n?W*\x13\x00).{4}/${1}Thu Jan  1 00:00:00 1970${2}\x00\x00\x00\x00/s' "$1"
perl -0777 -ne 'exit(/at Thu Jan  1 00:00:00 1970\n?W*\x13\x00\x00\x00\x00\x00/ ? 0 : 1)' "$1"
