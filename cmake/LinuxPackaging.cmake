# What a bank hands out to its customers on Linux, made with the Linux build:
# the Debian package of the native host with its manifests for Chromium,
# Google Chrome and Firefox, in build/linux/package.
find_program(KORVADEN_DPKG_DEB dpkg-deb REQUIRED)
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE deb_architecture OUTPUT_STRIP_TRAILING_WHITESPACE)
set(deb "${CMAKE_BINARY_DIR}/package/korvaden-native_${PROJECT_VERSION}_${deb_architecture}.deb")
add_custom_command(
  OUTPUT "${deb}"
  COMMAND bash "${CMAKE_SOURCE_DIR}/tools/build/deb.sh" "$<TARGET_FILE:korvaden-native>" "${PROJECT_VERSION}"
          "${KORVADEN_DEPLOYMENT}" "${CMAKE_BINARY_DIR}/package"
  DEPENDS korvaden-native korvaden-gtk-views "${CMAKE_SOURCE_DIR}/tools/build/deb.sh" "${CMAKE_SOURCE_DIR}/tools/build/browser_extension.py"
          "${KORVADEN_DEPLOYMENT}/deployment.txt" "${KORVADEN_DEPLOYMENT}/extension-public.pem"
  COMMENT "Making the Debian package of the native host")
add_custom_target(korvaden_deb ALL DEPENDS "${deb}")
