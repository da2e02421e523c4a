# The Windows build (MinGW-w64, see cmake/x86_64-w64-mingw32.cmake): every
# program in bin/ beside the DLLs it needs (cmake/WindowsPackage.cmake copies
# them there), so that the tests and benchmarks run under Wine, or on Windows,
# straight from the build folder. GoogleTest and Google Benchmark have no
# MinGW packages: they are built here from their sources.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

set(TEILOMAT_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's source (Debian's googletest package)")
set(TEILOMAT_BENCHMARK_SOURCE_DIR "" CACHE PATH "Google Benchmark's source (Debian's benchmark source package)")

if(TEILOMAT_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${TEILOMAT_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
if(TEILOMAT_BUILD_BENCH)
  if(NOT EXISTS ${TEILOMAT_BENCHMARK_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "TEILOMAT_BENCHMARK_SOURCE_DIR names no Google Benchmark source "
                        "(scripts/cross-windows.sh fetches it), or set TEILOMAT_BUILD_BENCH=OFF")
  endif()
  # Debian's source reads its version from the command line; "0.0.0" takes
  # the one its project() names.
  set(GIT_VERSION 0.0.0)
  foreach(option BENCHMARK_ENABLE_TESTING BENCHMARK_ENABLE_INSTALL BENCHMARK_ENABLE_WERROR
                 BENCHMARK_ENABLE_GTEST_TESTS BENCHMARK_INSTALL_DOCS)
    set(${option} OFF CACHE BOOL "" FORCE)
  endforeach()
  add_subdirectory(${TEILOMAT_BENCHMARK_SOURCE_DIR} ${PROJECT_BINARY_DIR}/benchmark EXCLUDE_FROM_ALL SYSTEM)
endif()
