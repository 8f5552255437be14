#!/bin/bash
# Installs the build into a temporary prefix, moves the installed tree
# elsewhere, and runs the programs there through their bin/ links.
#
#   install_tree_test.sh CMAKE BUILD_DIR
set -u

cmake=${1:?usage: install_tree_test.sh CMAKE BUILD_DIR}
build=${2:?usage: install_tree_test.sh CMAKE BUILD_DIR}
# shellcheck source=tests/install/check_tree.sh
source "$(dirname "$0")/check_tree.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/quadrix-install.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

"$cmake" --install "$build" --prefix "$work/installed" >"$work/install.log" 2>&1 ||
  fail "cmake --install failed: $(cat "$work/install.log")"

# Nothing in the tree may depend on where it was installed.
mv "$work/installed" "$work/moved" || fail "cannot move the installed tree"
tree=$work/moved
check_layout "$tree" "share/doc/quadrix"

# The programs, started through their links from an unrelated directory.
cd / || fail "cannot change to /"
check_cli "$tree/bin/quadrix-cli"
export XDG_CONFIG_HOME="$work/config" # no registry stand-in
mkdir -p "$XDG_CONFIG_HOME"

# The launcher follows its link to the runtime, which loads the hypertext
# library beside it; the window is shown offscreen and the program ends.
shown=$(QT_QPA_PLATFORM=offscreen QUADRIX_EXIT_AFTER_SHOW=1 \
  "$tree/bin/quadrix" 2>"$work/quadrix.err")
status=$?
[ "$status" -eq 0 ] ||
  fail "bin/quadrix ended with status $status: $(cat "$work/quadrix.err")"
case $shown in
"quadrix: shown "*) pass "bin/quadrix shows the window" ;;
*) fail "bin/quadrix printed '$shown', not the shown report" ;;
esac

# A copy of the launcher away from the runtime finds none: what the link
# achieves is not done by a search path or the working directory.
mkdir "$work/elsewhere"
cp "$tree/lib/quadrix/quadrix" "$work/elsewhere/quadrix"
cd "$tree/lib/quadrix" || fail "cannot change to lib/quadrix"
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
  QUADRIX_EXIT_AFTER_SHOW=1 \
  "$work/elsewhere/quadrix" >/dev/null 2>"$work/copy.err"
status=$?
[ "$status" -eq 255 ] || fail "a lone copy of the launcher ended with status $status"
grep -q "Not found the kernel library or the kernel library is invalid!" \
  "$work/copy.err" || fail "a lone copy of the launcher gave no error message"
pass "a lone copy of the launcher reports the missing runtime"
echo "install: passed"
