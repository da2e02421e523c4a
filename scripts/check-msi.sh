#!/usr/bin/env bash
# Installs the Windows installer into a fresh Wine prefix as a user would
# (msiexec /i … /qn) and checks what it leaves: the program with its DLLs,
# plugin and German catalogue in Program Files\Teilomat, the Start-menu entry
# "Teilomat", the entry in the installed programs. Drives the installed
# program by the keyboard (scripts/e2e-windows.sh), once fully and once per
# kernel this processor runs. Then installs a later version over it (one
# entry, the new version) and uninstalls it: nothing may be left.
# Usage: scripts/check-msi.sh BUILD-DIRECTORY   (with teilomat-<version>-x64.msi and windows/teilomat.wxs)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
msi=$(ls "$build"/teilomat-*-x64.msi | head -n 1)
[ -f "$msi" ] || { echo "check-msi.sh: no installer in $build" >&2; exit 1; }

work=$(mktemp -d /tmp/teilomat-msi.XXXXXX)
export WINEDEBUG=-all WINEPREFIX=$work/wine
cleanup() { wineserver -k 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "check-msi.sh: FAILED, $*" >&2; exit 1; }
wine_() { "$root/scripts/wine-run.sh" "$@"; }

installed=$WINEPREFIX/drive_c/Program\ Files/Teilomat
# The Start-menu entry: Windows puts it into the menu of all users; Wine's
# msiexec into the installing user's.
start_menu_entries() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/Teilomat.lnk'; }
# The installed programs named Teilomat, one "version" line each.
listed_versions() {
  wine_ uninstaller --list | tr -d '\r' | grep '|||Teilomat$' | while IFS='|' read -r code _; do
    wine_ reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code" /v DisplayVersion |
      tr -d '\r' | awk '$1 == "DisplayVersion" { print $3 }'
  done
}
msiexec_() { wine_ msiexec "$1" "$(winepath -w "$2")" /qn || fail "msiexec $1 $(basename "$2") ended with $?"; }

wine_ cmd /c exit   # the fresh prefix
version=$(basename "$msi" | sed 's/^teilomat-\(.*\)-x64\.msi$/\1/')
msiexec_ /i "$msi"
for file in teilomat.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libtbb12.dll libstdc++-6.dll libgcc_s_seh-1.dll \
            libwinpthread-1.dll qt.conf platforms/qwindows.dll translations/qtbase_de.qm; do
  [ -f "$installed/$file" ] || fail "not installed: Program Files\\Teilomat\\$file"
done
[ -n "$(start_menu_entries)" ] || fail "no Start-menu entry Teilomat"
[ "$(listed_versions)" = "$version.0" ] || fail "installed programs list \"$(listed_versions)\", not $version.0"
echo "check-msi.sh: installed $(basename "$msi"): $(cd "$installed" && find . -type f | wc -l) files, the Start-menu entry, listed as $version.0"

# The installed program, by the keyboard; every kernel of this processor.
"$root/scripts/e2e-windows.sh" "$installed/teilomat.exe"
flags=$(grep -m1 '^flags' /proc/cpuinfo || true)
kernels=(scalar scalar-full)
[[ $flags == *" avx2 "* && $flags == *" fma "* ]] && kernels+=(avx2 avx2-full)
[[ $flags == *" avx512f "* && $flags == *" avx512dq "* && $flags == *" avx512vl "* ]] && kernels+=(avx512 avx512-full)
for kernel in "${kernels[@]}"; do
  TEILOMAT_KERNEL=$kernel "$root/scripts/e2e-windows.sh" --kernel-check "$installed/teilomat.exe"
done

# A later version replaces this one in place.
later=$work/teilomat-later-x64.msi
(cd "$build" && wixl --arch x64 -D Version="${version}.1" -o "$later" windows/teilomat.wxs)
msiexec_ /i "$later"
[ "$(listed_versions)" = "$version.1" ] || fail "after the upgrade the installed programs list \"$(listed_versions)\""
[ -f "$installed/teilomat.exe" ] || fail "the upgrade removed the program"
echo "check-msi.sh: upgraded in place to $version.1"

msiexec_ /x "$later"
[ ! -e "$installed" ] || fail "left after the uninstall: $(cd "$installed" && find . | tr '\n' ' ')"
[ -z "$(start_menu_entries)" ] || fail "the Start-menu entry is left after the uninstall"
[ -z "$(listed_versions)" ] || fail "still in the installed programs after the uninstall"
echo "check-msi.sh: uninstalled, nothing left: PASSED"
