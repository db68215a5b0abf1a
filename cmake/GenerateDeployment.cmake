# Script mode: cmake -DDEPLOYMENT_DIR=... -DOUTPUT=... -P GenerateDeployment.cmake
# Turns a deployment folder into the pieces the control joins at run time:
# each public key as three Base64 lines, the MAC key text in four pieces,
# each parameter-block key text in three pieces, and the bank code.

# The control reads the keys only when it seals: a key that does not parse
# must stop the build, not a customer's request.
function(pem_body file out)
  execute_process(COMMAND openssl rsa -pubin -noout -in "${file}" RESULT_VARIABLE unreadable OUTPUT_QUIET ERROR_QUIET)
  if(unreadable)
    message(FATAL_ERROR "${file} is not a readable RSA public key (PEM \"PUBLIC KEY\")")
  endif()
  file(READ "${file}" pem)
  string(REGEX REPLACE "-----[A-Z ]+-----" "" pem "${pem}")
  string(REGEX REPLACE "[\r\n\t ]" "" pem "${pem}")
  set(${out} "${pem}" PARENT_SCOPE)
endfunction()

# Three lines: the last one a whole number of 64-character groups (at least one
# group), the first two sharing the rest evenly (76/76/64 for 1024 bits,
# 132/132/128 for 2048 bits).
function(split_pem_lines body out)
  string(LENGTH "${body}" total)
  math(EXPR third "(${total} / 3) / 64 * 64")
  if(third EQUAL 0)
    math(EXPR third "${total} / 3")
  endif()
  math(EXPR first "(${total} - ${third} + 1) / 2")
  math(EXPR second "${total} - ${third} - ${first}")
  string(SUBSTRING "${body}" 0 ${first} l1)
  string(SUBSTRING "${body}" ${first} ${second} l2)
  math(EXPR start3 "${first} + ${second}")
  string(SUBSTRING "${body}" ${start3} -1 l3)
  set(${out} "\"${l1}\", \"${l2}\", \"${l3}\"" PARENT_SCOPE)
endfunction()

function(split_pieces text count out)
  string(LENGTH "${text}" total)
  set(pieces "")
  set(start 0)
  foreach(i RANGE 1 ${count})
    math(EXPR finish "${total} * ${i} / ${count}")
    math(EXPR len "${finish} - ${start}")
    string(SUBSTRING "${text}" ${start} ${len} piece)
    list(APPEND pieces "\"${piece}\"")
    set(start ${finish})
  endforeach()
  list(JOIN pieces ", " joined)
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()

function(deployment_value name out)
  file(STRINGS "${DEPLOYMENT_DIR}/deployment.txt" lines REGEX "^${name}=")
  if(NOT lines)
    message(FATAL_ERROR "${DEPLOYMENT_DIR}/deployment.txt has no ${name}")
  endif()
  list(GET lines 0 line)
  string(REGEX REPLACE "^${name}=" "" value "${line}")
  string(STRIP "${value}" value)
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

pem_body("${DEPLOYMENT_DIR}/server-public.pem" server_body)
pem_body("${DEPLOYMENT_DIR}/hsm-public.pem" hsm_body)
split_pem_lines("${server_body}" server_lines)
split_pem_lines("${hsm_body}" hsm_lines)
deployment_value(bank_code bank_code)
deployment_value(mac_key mac_key)
deployment_value(iv_block_key iv_block_key)
deployment_value(param_block_key param_block_key)
if(NOT bank_code MATCHES "^[0-9][0-9][0-9]$")
  message(FATAL_ERROR "bank_code must be three digits, not '${bank_code}'")
endif()
# The origins whose pages may drive the control: https, or http on localhost
# for development; scheme and host in lower case, a port only where needed.
deployment_value(allowed_origins allowed_origins)
string(REGEX MATCHALL "[^ \t]+" origins "${allowed_origins}")
if(NOT origins)
  message(FATAL_ERROR "allowed_origins names no origin")
endif()
set(origin_list "")
foreach(origin IN LISTS origins)
  if(NOT origin MATCHES "^https://[a-z0-9.-]+(:[0-9]+)?$" AND NOT origin MATCHES "^http://localhost(:[0-9]+)?$")
    message(FATAL_ERROR "allowed origin '${origin}' is neither https://HOST[:PORT] nor http://localhost[:PORT]")
  endif()
  list(APPEND origin_list "\"${origin}\"")
endforeach()
list(JOIN origin_list ", " origin_list)

split_pieces("${mac_key}" 4 mac_pieces)
split_pieces("${iv_block_key}" 3 iv_pieces)
split_pieces("${param_block_key}" 3 param_pieces)

file(WRITE "${OUTPUT}.tmp" "// Generated from the deployment folder at build time. Do not edit.
#include \"crypto/deployment_data.h\"

namespace korvaden::deployment {
const std::array<const char*, 3> kServerKeyLines{${server_lines}};
const std::array<const char*, 3> kHsmKeyLines{${hsm_lines}};
const std::array<const char*, 4> kMacKeyPieces{${mac_pieces}};
const std::array<const char*, 3> kIvBlockKeyPieces{${iv_pieces}};
const std::array<const char*, 3> kParamBlockKeyPieces{${param_pieces}};
const char* const kBankCode = \"${bank_code}\";
const std::vector<const char*> kAllowedOrigins{${origin_list}};
}  // namespace korvaden::deployment
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
