# Sourced by the script tests (under Wine and on the Linux display): counting
# checks, text predicates, and running a Windows program in the test prefix.
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
passed=0
failed=0
wine_() { "$src/tools/test/wine-run.sh" "$@" 2>/dev/null; }
winpath() { echo "Z:${1//\//\\}"; }
check() {  # check DESCRIPTION COMMAND...
  local what="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "PASS $what"
  else
    failed=$((failed + 1))
    echo "FAIL $what"
  fi
}
has() { grep -qF -- "$2" <<<"$1"; }
lacks() { ! grep -qF -- "$2" <<<"$1"; }
# The project's version as GetAPIVersion gives it: 1.2307.31.1 reads 1.2307.311.
api_version() { sed -E 's/^([0-9]+\.[0-9]+)\.([0-9]+)\.([0-9]+)$/\1.\2\3/' <<<"$1"; }
