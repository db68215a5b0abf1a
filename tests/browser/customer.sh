#!/usr/bin/env bash
# The customer at the X display, for the browser tests: customer.sh STEP...
# (the steps of tests/linux/x_customer.sh). Screenshots go to $KORVADEN_SCREENS.
set -euo pipefail
screens="${KORVADEN_SCREENS:?}"
source "$(dirname "${BASH_SOURCE[0]}")/../linux/x_customer.sh"
customer "$@"
