#!/usr/bin/env bash
# Makes a deployment folder with the openssl command line: the server, HSM and
# browser-extension key pairs, and in deployment.txt the symmetric keys, bank
# code, allowed origins and the names the browsers know the extension and its
# native host by.
# Usage: deploy/make-deployment.sh DIR [SERVER_BITS] [HSM_BITS] [BANK_CODE] [ORIGINS] [FIREFOX_ID] [HOST_NAME]
# ORIGINS: the origins whose pages may drive the control, separated by blanks
# (https://HOST[:PORT], or http://localhost[:PORT] for development).
set -euo pipefail
dir="$1"; server_bits="${2:-1024}"; hsm_bits="${3:-2048}"; bank_code="${4:-812}"
origins="${5:-http://localhost:8080}"
firefox_id="${6:-card-control@localhost}"; host_name="${7:-korvaden.card_control}"
mkdir -p "$dir"
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:"$server_bits" -out "$dir/server-private.pem" 2>/dev/null
openssl pkey -in "$dir/server-private.pem" -pubout -out "$dir/server-public.pem"
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:"$hsm_bits" -out "$dir/hsm-private.pem" 2>/dev/null
openssl pkey -in "$dir/hsm-private.pem" -pubout -out "$dir/hsm-public.pem"
# The extension's key fixes its ID in Chromium-based browsers.
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$dir/extension-private.pem" 2>/dev/null
openssl pkey -in "$dir/extension-private.pem" -pubout -out "$dir/extension-public.pem"
{
  echo "# Deployment values fixed in the control at build time."
  echo "# bank_code: the three-digit interbank code of the institution."
  echo "# mac_key: the 16-byte HMAC key of the message MAC (Base64)."
  echo "# iv_block_key, param_block_key: two-key triple-DES keys of the parameter blocks (Base64)."
  echo "# allowed_origins: the origins whose pages may drive the control, separated by blanks."
  echo "# firefox_extension_id: the extension's ID in Firefox (name@domain, a domain the bank owns)."
  echo "# native_host_name: the name the browsers find the native host by (lower case, digits, '.', '_')."
  echo "bank_code=$bank_code"
  echo "mac_key=$(openssl rand -base64 16)"
  echo "iv_block_key=$(openssl rand -base64 16)"
  echo "param_block_key=$(openssl rand -base64 16)"
  echo "allowed_origins=$origins"
  echo "firefox_extension_id=$firefox_id"
  echo "native_host_name=$host_name"
} > "$dir/deployment.txt"
