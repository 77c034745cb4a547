# The Windows build (cmake/mingw-w64-x86_64.cmake): the core, kavex-dump, kavex-diff, the
# sample images, and the core and kavex-dump tests, which CTest runs under Wine. No viewer,
# benchmarks or fuzz targets.
set(KAVEX_BUILD_GUI OFF CACHE BOOL "" FORCE)
set(KAVEX_BUILD_BENCH OFF CACHE BOOL "" FORCE)
set(KAVEX_PNG_STB ON CACHE BOOL "" FORCE)
# -O2, as the native build: at -O3 GCC 12 inlines std::string's concatenation far enough to
# report accesses that cannot happen (-Wrestrict, -Warray-bounds in libstdc++'s own headers).
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")

# The header-only libraries come from the build machine's Debian packages (nlohmann-json3-dev,
# libstb-dev). Their folders are linked into one of the build's own, so that /usr/include as
# a whole (the build machine's C library) never reaches the cross compiler.
set(KAVEX_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-include)
file(MAKE_DIRECTORY ${KAVEX_HOST_HEADERS})
foreach(dir nlohmann stb)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} is missing (scripts/install-deps.sh installs it)")
  endif()
  file(CREATE_LINK /usr/include/${dir} ${KAVEX_HOST_HEADERS}/${dir} SYMBOLIC)
endforeach()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${KAVEX_HOST_HEADERS})
add_library(kavex_stb INTERFACE)
target_include_directories(kavex_stb SYSTEM INTERFACE ${KAVEX_HOST_HEADERS})

# GoogleTest built from Debian's sources (googletest), for the target.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Windows programs run under Wine, headless: a prefix of the build's own (made on the first
# configure, so that tests do not race to make it), no display, no Mono or Gecko installers,
# no debug chatter. tests/ and the sample images run through it.
find_program(KAVEX_WINE NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
find_program(KAVEX_WINE NAMES wine64 wine)
find_program(KAVEX_WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine /usr/lib64/wine)
if(NOT KAVEX_WINE OR NOT KAVEX_WINESERVER)
  message(FATAL_ERROR "Wine is needed to make the sample images and run the tests (scripts/install-deps.sh installs it)")
endif()
set(KAVEX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/wine-run.sh CONTENT [[#!/bin/sh
# Runs a Windows program of this build under Wine, headless (made by cmake/WindowsBuild.cmake).
export WINEPREFIX='@KAVEX_WINEPREFIX@' WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
unset DISPLAY WAYLAND_DISPLAY
exec '@KAVEX_WINE@' "$@"
]] @ONLY)
file(CHMOD ${CMAKE_BINARY_DIR}/wine-run.sh
     PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
if(NOT EXISTS ${KAVEX_WINEPREFIX}/system.reg)
  message(STATUS "Making the Wine prefix ${KAVEX_WINEPREFIX}")
  execute_process(COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh wineboot --init)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${KAVEX_WINEPREFIX} ${KAVEX_WINESERVER} -w)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# The version as the programs show it, for the zip's name (scripts/package-windows.sh).
file(WRITE ${CMAKE_BINARY_DIR}/kavex-version.txt "${KAVEX_VERSION_TEXT}\n")
