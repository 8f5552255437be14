#!/bin/bash
# Builds the Debian package from the build tree, checks its control fields
# and contents, unpacks it and runs the unpacked program.
#
#   package_test.sh CPACK BUILD_DIR
#
# Exit status: 0 passed, 1 failed, 77 skipped (not a Debian system: dpkg-deb
# or dpkg-shlibdeps is missing; under CI that is a failure instead).
set -u

cpack=${1:?usage: package_test.sh CPACK BUILD_DIR}
build=${2:?usage: package_test.sh CPACK BUILD_DIR}
# shellcheck source=tests/install/check_tree.sh
source "$(dirname "$0")/check_tree.sh"

for tool in dpkg-deb dpkg-shlibdeps dpkg; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    [ -z "${CI:-}" ] || fail "$tool is missing (scripts/install-deps installs it)"
    echo "package: $tool is missing; skipping"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quadrix-package.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" \
  >"$work/cpack.log" 2>&1 || fail "cpack failed: $(cat "$work/cpack.log")"
deb=$work/out/quadrix_1.0.0.0_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/out")"
pass "built $(basename "$deb")"

# ---- Control fields ------------------------------------------------------------
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = quadrix ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = 1.0.0.0 ] || fail "Version is '$(field Version)'"
depends=$(field Depends)
# The Qt libraries come from the linked libraries, the rest is declared.
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 \
  qt6-qpa-plugins fonts-arphic-uming; do
  printf '%s\n' "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//' |
    grep -qxF "$package" || fail "Depends lacks $package: $depends"
done
pass "Version 1.0.0.0, Depends: $depends"

# ---- Contents ------------------------------------------------------------------
dpkg-deb --contents "$deb" >"$work/contents" || fail "cannot list the package"
for path in ./usr/lib/quadrix/quadrix ./usr/lib/quadrix/quadrix-cli \
  ./usr/lib/quadrix/basert.rtp ./usr/lib/quadrix/WebPane.rtp \
  ./usr/lib/quadrix/ad1.htm ./usr/lib/quadrix/systemroot/system32/calc.exe \
  ./usr/lib/quadrix/systemroot/system32/notepad.exe \
  ./usr/share/applications/quadrix.desktop \
  ./usr/share/icons/hicolor/48x48/apps/quadrix.png \
  ./usr/share/doc/quadrix/README.md; do
  grep -q " $path\$" "$work/contents" || fail "the package lacks $path"
done
grep -q " ./usr/bin/quadrix -> ../lib/quadrix/quadrix\$" "$work/contents" ||
  fail "the package lacks the link ./usr/bin/quadrix"
# Everything belongs to root and lies under /usr.
awk '$2 != "root/root"' "$work/contents" | grep . &&
  fail "files not owned by root/root"
awk '{ print $6 }' "$work/contents" | grep -v '^\./usr/' | grep -vx '\./' &&
  fail "files outside /usr"
pass "contents in place"

# ---- The unpacked program ------------------------------------------------------
dpkg-deb -x "$deb" "$work/root" || fail "cannot unpack the package"
check_layout "$work/root/usr" "share/doc/quadrix"
cd / || fail "cannot change to /"
check_cli "$work/root/usr/bin/quadrix-cli"
echo "package: passed"
