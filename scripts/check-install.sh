#!/usr/bin/env bash
# Installs a built Teilomat into a temporary prefix and checks what the desktop
# sees: the file layout, the desktop entry (desktop-file-validate), the AppStream
# data (appstreamcli), the icons' sizes, the version, the manual page (man) and
# the changelog's version; then builds the Debian package into a temporary
# folder, checks that it depends on Qt and has Debian's checker (lintian) pass
# it without an error or a warning.
# Usage: scripts/check-install.sh [build directory]   (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
id=org.example.Teilomat

for tool in desktop-file-validate appstreamcli identify dpkg-deb cpack lintian man; do
  command -v "$tool" >/dev/null || { echo "check-install.sh: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done
[ -f "$build/CPackConfig.cmake" ] || { echo "check-install.sh: $build is no configured build folder" >&2; exit 1; }

work=$(mktemp -d /tmp/teilomat-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

docs=(share/man/man1/teilomat.1.gz share/doc/teilomat/copyright share/doc/teilomat/changelog.gz)
for file in bin/teilomat share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
            share/icons/hicolor/scalable/apps/$id.svg "${docs[@]}"; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
for size in 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  if [ ! -f "$icon" ]; then
    fail "not installed: $icon"
  elif [ "$(identify -format '%wx%h' "$icon")" != "${size}x${size}" ]; then
    fail "$icon is $(identify -format '%wx%h' "$icon"), not ${size}x${size}"
  fi
done

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || fail "the desktop entry names another icon"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"

# The newest release in the AppStream data is the version the program reports.
release=$(grep -o '<release version="[^"]*"' "$prefix/share/metainfo/$id.metainfo.xml" | head -n 1 | cut -d'"' -f2)
reported=$(env -u DISPLAY -u WAYLAND_DISPLAY ${TEILOMAT_RUN_WITH:-} "$prefix/bin/teilomat" --version)
[ "$reported" = "Teilomat $release" ] || fail "--version says \"$reported\", the AppStream release is $release"
changed=$(zcat "$prefix/share/doc/teilomat/changelog.gz" | sed -n '1s/^teilomat (\([^)]*\)).*/\1/p')
[ "$changed" = "$release" ] || fail "the changelog's newest entry is \"$changed\", the AppStream release is $release"
page=$(man -l --warnings -E UTF-8 "$prefix/share/man/man1/teilomat.1.gz" 2>&1 >/dev/null) || fail "man teilomat.1"
[ -z "$page" ] || fail "man warns about teilomat.1: $page"

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >/dev/null) || fail "cpack -G DEB"
deb=$(ls "$work"/deb/teilomat_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
  fail "no teilomat_*.deb"
else
  depends=$(dpkg-deb -f "$deb" Depends)
  [[ "$depends" == *libqt6widgets6* ]] || fail "the package does not depend on Qt: $depends"
  contents=$(dpkg-deb -c "$deb")
  for file in /usr/bin/teilomat /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml \
              /usr/share/icons/hicolor/scalable/apps/$id.svg "${docs[@]/#//usr/}"; do
    [[ "$contents" == *" .$file"* ]] || fail "the package lacks $file"
  done
  # Informational tags (I:, P:, X:) may stay.
  report=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian found errors or warnings in $(basename "$deb")"
  grep -v '^running with root privileges' <<<"$report" || true
fi

if [ "$failures" -ne 0 ]; then
  echo "check-install.sh: $failures failed" >&2
  exit 1
fi
echo "check-install.sh: installed layout, desktop entry, AppStream data and Debian package are fine"
