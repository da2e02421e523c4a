# Cross-building for 64-bit Windows with Debian's MinGW-w64 compilers (POSIX
# threads, so std::thread works). scripts/cross-windows.sh builds Qt and oneTBB
# for this target into a cache folder and passes it here:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
#         -DTEILOMAT_WINDOWS_PREFIX=<cache>/prefix
# The same file builds that Qt and oneTBB, without a prefix. The programs it
# builds run here under Wine, so ctest and the tests that start the program
# work unchanged.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# GCC for 64-bit Windows cannot align stack slots beyond 16 bytes, yet spills
# 256- and 512-bit registers with aligned moves: a random crash wherever an AVX
# function spills. The assembler turns those moves into unaligned ones, which
# cost nothing on processors with AVX. For every C and C++ file, ours and Qt's.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")

# The prefix with Qt and oneTBB for this target; try_compile projects see it
# through the environment, since they read this file again without the cache.
if(TEILOMAT_WINDOWS_PREFIX)
  set(ENV{TEILOMAT_WINDOWS_PREFIX} "${TEILOMAT_WINDOWS_PREFIX}")
elseif(DEFINED ENV{TEILOMAT_WINDOWS_PREFIX})
  set(TEILOMAT_WINDOWS_PREFIX "$ENV{TEILOMAT_WINDOWS_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${TEILOMAT_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(TEILOMAT_WINDOWS_PREFIX)
  # Qt's code generators (moc, rcc, uic) run on the build machine: the host's Qt.
  set(QT_HOST_PATH /usr CACHE PATH "Qt for the build machine")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "CMake files of the host's Qt")
  # Wine in its own quiet prefix (scripts/wine-run.sh) runs what the build
  # makes: ctest, the tests' discovery and the scripts that start the program.
  find_program(TEILOMAT_WINE NAMES wine REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
endif()
