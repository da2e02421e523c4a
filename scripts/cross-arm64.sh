#!/usr/bin/env bash
# Cross-builds Teilomat for 64-bit ARM (aarch64) with Debian's cross compiler and
# its arm64 packages (multiarch), runs every test under qemu-user and makes the
# arm64 Debian package.
#   scripts/cross-arm64.sh              install what is missing, build into build-arm64/, test, package
#   scripts/cross-arm64.sh --deps       only install what is missing
# Installing the arm64 libraries may bring amd64 packages of the same names up
# to the same version (multiarch needs them equal); apt does that on its own.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  crossbuild-essential-arm64 qemu-user-static
  qt6-base-dev:arm64 qt6-qpa-plugins:arm64 libgl-dev:arm64
  libtbb-dev:arm64 libgtest-dev:arm64 libgmock-dev:arm64
)

scripts/deps.sh "${packages[@]}"
[ "${1:-}" = --deps ] && exit 0

build=build-arm64
emulator=$(command -v qemu-aarch64-static)
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release \
      -DTEILOMAT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

# Every test under qemu-user; the core's kernel tests force each kernel this
# processor has (neon, neon-full, scalar, scalar-full).
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

# The real window under each kernel: the same verdicts, and a forced kernel
# accepted without a warning.
for kernel in neon neon-full scalar scalar-full; do
  echo "Window with TEILOMAT_KERNEL=$kernel"
  TEILOMAT_KERNEL=$kernel TEILOMAT_RUN_WITH=$emulator scripts/e2e.sh "$build/app/teilomat" 2>"$build/e2e-$kernel.err" ||
    { cat "$build/e2e-$kernel.err" >&2; exit 1; }
  if grep -q TEILOMAT_KERNEL "$build/e2e-$kernel.err"; then
    cat "$build/e2e-$kernel.err" >&2
    echo "cross-arm64.sh: TEILOMAT_KERNEL=$kernel was not accepted" >&2
    exit 1
  fi
done

# The Debian package, with the arm64 libraries it needs in Depends.
(cd "$build" && cpack -G DEB >/dev/null)
deb=$build/teilomat_1.1_arm64.deb
[ -f "$deb" ] || { echo "cross-arm64.sh: no $deb" >&2; exit 1; }
architecture=$(dpkg-deb -f "$deb" Architecture)
depends=$(dpkg-deb -f "$deb" Depends)
[ "$architecture" = arm64 ] || { echo "cross-arm64.sh: the package says Architecture $architecture" >&2; exit 1; }
[[ "$depends" == *libqt6widgets6* && "$depends" == *libtbb* ]] ||
  { echo "cross-arm64.sh: Depends lacks the libraries: $depends" >&2; exit 1; }
echo "cross-arm64.sh: $deb (Architecture $architecture; Depends: $depends)"
