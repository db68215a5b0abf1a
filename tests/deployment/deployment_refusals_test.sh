#!/usr/bin/env bash
# A deployment whose public key does not parse, or that lets a page other
# than https (or http on localhost) drive the control, stops the build; the
# test deployment goes through.
# Usage: unreadable_key_test.sh SOURCE_DIR
set -u
src="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
generate() { cmake -DDEPLOYMENT_DIR="$1" -DOUTPUT="$work/out.cpp" -P "$src/cmake/GenerateDeployment.cmake" 2>&1; }

generate "$src/deploy/test" > "$work/good.log" || { cat "$work/good.log"; echo "FAIL the test deployment"; exit 1; }
cp "$src/deploy/test/hsm-public.pem" "$src/deploy/test/deployment.txt" "$work/"
sed 's/M/N/' "$src/deploy/test/server-public.pem" > "$work/server-public.pem"  # one character off
rm -f "$work/out.cpp"
if generate "$work" > "$work/bad.log"; then
  echo "FAIL a damaged server key was taken"; exit 1
fi
grep -q "server-public.pem is not a readable RSA public key" "$work/bad.log" || { cat "$work/bad.log"; exit 1; }
[ ! -e "$work/out.cpp" ] || { echo "FAIL key pieces written from a damaged key"; exit 1; }
echo "PASS the build refuses a damaged key"

cp "$src/deploy/test/server-public.pem" "$work/"
for origins in "http://webatm.korvaden.test" "https://webatm.korvaden.test/atm" "https://WebATM.korvaden.test" ""; do
  grep -v '^allowed_origins=' "$src/deploy/test/deployment.txt" > "$work/deployment.txt"
  echo "allowed_origins=$origins" >> "$work/deployment.txt"
  if generate "$work" > "$work/bad.log"; then
    echo "FAIL allowed_origins=$origins was taken"; exit 1
  fi
done
echo "PASS the build refuses origins a deployment may not name"
