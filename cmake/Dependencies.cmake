# OpenSSL's libcrypto and GoogleTest for the host (Debian's packages) or for
# Windows (a static libcrypto built by tools/build/windows-openssl.sh and
# GoogleTest compiled from Debian's sources).
if(WIN32)
  set(KORVADEN_OPENSSL_ROOT "$ENV{KORVADEN_OPENSSL_ROOT}" CACHE PATH "Static mingw-w64 OpenSSL prefix")
  # Taken from the root each time, so that another build of OpenSSL is picked up at once.
  set(KORVADEN_LIBCRYPTO "${KORVADEN_OPENSSL_ROOT}/lib/libcrypto.a")
  if(NOT EXISTS "${KORVADEN_LIBCRYPTO}")
    message(FATAL_ERROR "no libcrypto.a under ${KORVADEN_OPENSSL_ROOT}: run tools/build/windows-openssl.sh")
  endif()
  add_library(korvaden::crypto STATIC IMPORTED)
  set_target_properties(korvaden::crypto PROPERTIES
    IMPORTED_LOCATION "${KORVADEN_LIBCRYPTO}"
    INTERFACE_INCLUDE_DIRECTORIES "${KORVADEN_OPENSSL_ROOT}/include"
    INTERFACE_LINK_LIBRARIES "bcrypt;user32;advapi32")
  add_link_options(-static)
  add_library(korvaden::pcsc INTERFACE IMPORTED)
  target_link_libraries(korvaden::pcsc INTERFACE winscard)
  # widl reads Wine's Windows headers and finds stdole2.tlb among its libraries.
  set(KORVADEN_WINE_INCLUDE /usr/include/wine/wine/windows CACHE PATH "Wine's Windows headers, for widl")
  set(KORVADEN_WINE_LIBRARIES /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH
      "Wine's Windows libraries, where widl finds stdole2.tlb")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
else()
  find_package(OpenSSL 3 REQUIRED)
  add_library(korvaden::crypto INTERFACE IMPORTED)
  target_link_libraries(korvaden::crypto INTERFACE OpenSSL::Crypto)
  find_package(GTest REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(PCSCLITE REQUIRED IMPORTED_TARGET libpcsclite)
  add_library(korvaden::pcsc INTERFACE IMPORTED)
  target_link_libraries(korvaden::pcsc INTERFACE PkgConfig::PCSCLITE)
endif()

# JSON for the native messaging host: Debian's header-only library, reached
# through a folder of its own so that the mingw build does not see the rest of
# /usr/include.
find_path(KORVADEN_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include REQUIRED NO_CMAKE_FIND_ROOT_PATH
          NO_DEFAULT_PATH)
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/json")
file(CREATE_LINK "${KORVADEN_JSON_INCLUDE}/nlohmann" "${CMAKE_BINARY_DIR}/json/nlohmann" SYMBOLIC)
add_library(korvaden::json INTERFACE IMPORTED)
target_include_directories(korvaden::json SYSTEM INTERFACE "${CMAKE_BINARY_DIR}/json")

# GTK 4 for the native host's windows on Linux, and Xlib to tie them to the
# browser's window on X11 (and, in the test build, to tell the test's
# customer what a window shows).
if(NOT WIN32)
  pkg_check_modules(GTK4 REQUIRED IMPORTED_TARGET gtk4)
  add_library(korvaden::gtk INTERFACE IMPORTED)
  target_link_libraries(korvaden::gtk INTERFACE PkgConfig::GTK4)
  pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
  add_library(korvaden::x11 INTERFACE IMPORTED)
  target_link_libraries(korvaden::x11 INTERFACE PkgConfig::X11)
  find_program(KORVADEN_GLIB_COMPILE_RESOURCES glib-compile-resources REQUIRED)
endif()

# Python writes the tables and the extension the build makes from its sources.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
