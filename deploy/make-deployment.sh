#!/usr/bin/env bash
# Makes a deployment folder with the openssl command line: the server and HSM
# key pairs and the symmetric keys, bank code and allowed origins in deployment.txt.
# Usage: deploy/make-deployment.sh DIR [SERVER_BITS] [HSM_BITS] [BANK_CODE] [ORIGINS]
# ORIGINS: the origins whose pages may drive the control, separated by blanks
# (https://HOST[:PORT], or http://localhost[:PORT] for development).
set -euo pipefail
dir="$1"; server_bits="${2:-1024}"; hsm_bits="${3:-2048}"; bank_code="${4:-812}"
origins="${5:-http://localhost:8080}"
mkdir -p "$dir"
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:"$server_bits" -out "$dir/server-private.pem" 2>/dev/null
openssl pkey -in "$dir/server-private.pem" -pubout -out "$dir/server-public.pem"
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:"$hsm_bits" -out "$dir/hsm-private.pem" 2>/dev/null
openssl pkey -in "$dir/hsm-private.pem" -pubout -out "$dir/hsm-public.pem"
{
  echo "# Deployment values fixed in the control at build time."
  echo "# bank_code: the three-digit interbank code of the institution."
  echo "# mac_key: the 16-byte HMAC key of the message MAC (Base64)."
  echo "# iv_block_key, param_block_key: two-key triple-DES keys of the parameter blocks (Base64)."
  echo "# allowed_origins: the origins whose pages may drive the control, separated by blanks."
  echo "bank_code=$bank_code"
  echo "mac_key=$(openssl rand -base64 16)"
  echo "iv_block_key=$(openssl rand -base64 16)"
  echo "param_block_key=$(openssl rand -base64 16)"
  echo "allowed_origins=$origins"
} > "$dir/deployment.txt"
