#!/usr/bin/env bash
# The server guide's worked example, as a reader runs it: every command of its
# console blocks, in order, in one shell, from a folder that sees the
# repository's deploy/ and docs/; the output must be the guide's. Then the
# reference implementation and the control agree with what the guide made.
# Usage: server_doc_test.sh SOURCE_DIR LINUX_BUILD
set -uo pipefail
src="$(cd "$1" && pwd)"
build="$(cd "$2" && pwd)"
guide="$src/docs/server.md"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
ln -s "$src/deploy" "$src/docs" "$work/"

# "$ " opens a command, "> " continues it, any other line of a block is output.
awk -v script="$work/script.sh" -v expected="$work/expected.txt" '
  /^```console$/ { inside = 1; next }
  /^```$/ { inside = 0; next }
  !inside { next }
  /^\$ / { print substr($0, 3) > script; next }
  /^> / { print substr($0, 3) > script; next }
  { print > expected }' "$guide"
(cd "$work" && bash -e script.sh) > "$work/actual.txt" 2> "$work/errors.txt"
status=$?
failed=0
if [ $status -ne 0 ] || ! diff "$work/expected.txt" "$work/actual.txt"; then
  echo "FAIL the guide's commands give the guide's output (exit $status)"
  cat "$work/errors.txt"
  failed=1
else
  echo "PASS the guide's commands give the guide's output ($(grep -c . "$work/script.sh") command lines)"
fi

# korvaden-bank opens the example as the openssl commands did.
document="$("$build/tools/bank/korvaden-bank" unseal < "$src/docs/example/transfer-sealed.txt")"
if [ -n "$document" ] && grep -qxF -- "$document" "$work/expected.txt"; then
  echo "PASS korvaden-bank opens the example to the same document"
else
  echo "FAIL korvaden-bank opens the example to the same document"
  failed=1
fi

# The control takes the guide's blocks: it goes past all six to the reader,
# which does not exist here (8990), instead of refusing one (98xx).
mapfile -t blocks < <(grep -E '^[0-9A-F]{16,}$' "$work/expected.txt" | head -n 6)
out="$("$build/tools/host/korvaden-host" CardLess_Apply "${blocks[@]}" "Cardless" < /dev/null 2>/dev/null | grep "^retVal=")"
if [ "${#blocks[@]}" -eq 6 ] && [ "$out" = "retVal=8990" ]; then
  echo "PASS the control reads the guide's six parameter blocks"
else
  echo "FAIL the control reads the guide's six parameter blocks (${#blocks[@]} blocks, $out)"
  failed=1
fi
# korvaden-bank reads the guide's PIN blocks to the passwords the guide reads.
for example in "cardless 123456890123 97531086" "bonding A123456789 246810"; do
  read -r kind reference password <<<"$example"
  got="$("$build/tools/bank/korvaden-bank" pinblock "--$kind" "$reference" < "$src/docs/example/$kind-reason.txt")"
  if [ "$got" = "$password" ]; then
    echo "PASS korvaden-bank reads the $kind example to $password"
  else
    echo "FAIL korvaden-bank reads the $kind example to $password (got $got)"
    failed=1
  fi
done
exit $failed
