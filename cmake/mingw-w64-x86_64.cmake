# Cross-compiling kavex-dump and kavex-diff for 64-bit Windows with Debian's MinGW-w64 (the
# posix thread model, which std::thread and the rest of the C++ library need):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The programs are linked statically: they need nothing but what Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KAVEX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KAVEX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAVEX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KAVEX_MINGW_TRIPLET}-windres)

# Libraries and headers of the target only; programs (cmake, wine) of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KAVEX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
