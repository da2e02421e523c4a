# Cross-building for 64-bit ARM Linux with Debian's cross compiler and the arm64
# libraries of multiarch (scripts/cross-arm64.sh installs both):
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
# The programs it builds run here under qemu-user, so ctest and the tests that
# start the program work unchanged.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# Multiarch keeps the arm64 libraries and their CMake files under /usr with the
# triplet in the library folder: search from the root with that triplet, not
# from a separate sysroot (re-rooting hides oneTBB's CMake files).
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Qt's code generators (moc) run on the build machine: the host's Qt.
set(QT_HOST_PATH /usr CACHE PATH "Qt for the build machine")
# Without -L: qemu finds the arm64 loader that multiarch installed, whose C
# library matches; the cross toolchain's own loader would differ in version
# (a mismatch that hangs at the first thread start).
find_program(TEILOMAT_QEMU_AARCH64 NAMES qemu-aarch64-static qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TEILOMAT_QEMU_AARCH64})
# The package's architecture and its library dependencies (dpkg-shlibdeps
# reads the arm64 binary with the cross objdump).
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
