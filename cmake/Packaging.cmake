# What a bank hands out, made with every Windows build: the signed module and
# native host, the per-user and per-machine installers and the CAB for the
# object tag's codebase, in build/windows/package. The bank's certificate and key are passed
# in at configure time; without them a throw-away test certificate signs.
set(KORVADEN_SIGNING_CERT "" CACHE FILEPATH "Authenticode certificate chain (PEM); empty: a throw-away test certificate")
set(KORVADEN_SIGNING_KEY "" CACHE FILEPATH "The certificate's private key (PEM)")
set(KORVADEN_TIMESTAMP_URL "" CACHE STRING "Time-stamping server for the signatures (empty: none)")

foreach(tool wixl gcab osslsigncode)
  find_program(KORVADEN_${tool} ${tool} REQUIRED)
endforeach()

set(package "${CMAKE_BINARY_DIR}/package")
set(package_files "${package}/KORVADENIVESK.dll" "${package}/korvaden-native.exe"
                  "${package}/korvaden-${PROJECT_VERSION}-user.msi"
                  "${package}/korvaden-${PROJECT_VERSION}-machine.msi" "${package}/KORVADENIVESK.cab")
add_custom_command(
  OUTPUT ${package_files}
  COMMAND bash "${CMAKE_SOURCE_DIR}/tools/build/package.sh" "$<TARGET_FILE:korvaden_com>"
          "$<TARGET_FILE:korvaden-native>" "${PROJECT_VERSION}" "${KORVADEN_DEPLOYMENT}" "${package}"
          "${KORVADEN_SIGNING_CERT}" "${KORVADEN_SIGNING_KEY}" "${KORVADEN_TIMESTAMP_URL}"
  DEPENDS korvaden_com korvaden-native "${CMAKE_SOURCE_DIR}/tools/build/package.sh"
          "${CMAKE_SOURCE_DIR}/tools/build/browser_extension.py" "${CMAKE_SOURCE_DIR}/resources/installer/korvaden.wxs"
          "${CMAKE_SOURCE_DIR}/resources/installer/KORVADENIVESK.inf.in" "${KORVADEN_DEPLOYMENT}/deployment.txt"
          "${KORVADEN_DEPLOYMENT}/extension-public.pem"
  COMMENT "Signing the module, making the installers and the CAB")
add_custom_target(korvaden_package ALL DEPENDS ${package_files})
