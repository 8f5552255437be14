#!/bin/bash
# The installer and the portable zip under Wine: the installer installs
# silently, the installed program starts through the registry route (no
# runtime beside it), the Start-menu entry leads to it with its icon, and
# the silent uninstaller takes away the files, the entry and the key; the
# portable zip's program starts with the runtime beside it and no key.
#
#   tests/windows/installer_test.sh [build-win32]
#
# The directory holds quadrix-<version>-setup.exe, quadrix-<version>-
# portable.zip and bin/quadrix.exe. QX_KEEP=1 keeps the temporary
# directory. Prints TAP; exits non-zero when a check fails.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
# shellcheck source=launcher_wine.sh
. "$here/launcher_wine.sh"

build=$(realpath "${1:-$source_dir/build-win32}" 2>/dev/null) || build=""
version=$(sed -n 's/^project(Quadrix VERSION \([0-9.]*\).*/\1/p' \
  "$source_dir/CMakeLists.txt")
setup="$build/quadrix-$version-setup.exe"
portable="$build/quadrix-$version-portable.zip"
for file in "$setup" "$portable"; do
  [ -f "$file" ] || {
    echo "no $file: run make windows-installer" >&2
    exit 1
  }
done
name=$(sed -n 's/^Name=//p' "$source_dir/packaging/quadrix.desktop" | head -n 1)

launcher_wine_relaunch "$0" "$build"
launcher_wine_require wine wineboot wineserver unzip "${QX_WIN_CXX:-i686-w64-mingw32-g++-posix}"
launcher_wine_start

probe="$QX_TMP/installer_probe.exe"
launcher_wine_compile "$probe" "$here/installer_probe.cpp" -lole32 -luuid || exit 1

title="QuadrixV1.0"
program_dir='C:\Program Files\Quadrix'
environment_dir='C:\Program Files\Tenvale\Quill'
program_unix="$QX_DRIVE_C/Program Files/Quadrix"
environment_unix="$QX_DRIVE_C/Program Files/Tenvale/Quill"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quadrix'

# check NAME COMMAND...: one TAP line for a command that must succeed.
check() {
  local label=$1
  shift
  local output
  if output=$("$@" 2>&1); then
    launcher_wine_pass "$label"
  else
    launcher_wine_fail "$label" "$output"
  fi
}

expect_equal() { # ACTUAL EXPECTED
  [ "$1" = "$2" ] || {
    printf 'got:\n%s\nexpected:\n%s\n' "$1" "$2"
    return 1
  }
}

files_present() { # DIRECTORY FILE...
  local directory=$1 missing=0
  shift
  for file in "$@"; do
    [ -f "$directory/$file" ] || {
      echo "missing $directory/$file"
      missing=1
    }
  done
  return $missing
}

absent() { # PATH...: none of them exists; says what is left of those that do
  local left=0
  for path in "$@"; do
    if [ -e "$path" ]; then
      find "$path" | sed 's/^/left: /'
      left=1
    fi
  done
  return $left
}

# Starts WINDOWS_PATH, waits for its window, reads which runtime it loaded,
# closes the window and expects exit code 0.
starts_with_runtime() { # WINDOWS_PATH RUNTIME
  local program=$1 runtime=$2
  timeout 120 wine "$program" >/dev/null 2>&1 &
  local started=$!
  local seen status
  seen=$(wine "$probe" window "$title" 60000 | tr -d '\r')
  wait "$started"
  status=$?
  expect_equal "$seen" "title=$title
runtime=$runtime" || return 1
  [ "$status" -eq 0 ] || {
    echo "exit status $status after the window closed"
    return 1
  }
}

start_menu_link() {
  find "$QX_DRIVE_C/users" -path '*Start Menu/Programs/*' -name "$name.lnk" \
    2>/dev/null | head -n 1
}

# ---- Install ------------------------------------------------------------------
launcher_wine_reg_clear
cp "$setup" "$QX_DRIVE_C/setup.exe"
check "the installer runs silently" timeout 300 wine 'C:\setup.exe' /S

check "the program is in Program Files, without a runtime beside it" \
  sh -c "$(declare -f files_present); files_present '$program_unix' \
    quadrix.exe quadrix-cli.exe README.md uninstall.exe &&
    ! [ -e '$program_unix/basert.rtp' ] && ! [ -e '$program_unix/basert.rtl' ]"
check "the runtime is in the environment's directory as basert.rtl" \
  sh -c "$(declare -f files_present); files_present '$environment_unix' \
    basert.rtl WebPane.rtp ad1.htm"
check "the registry names the environment's directory" \
  sh -c "$(declare -f expect_equal launcher_wine_reg_get); QX_INSTALL_KEY='$QX_INSTALL_KEY'
    expect_equal \"\$(launcher_wine_reg_get Path)\" '$environment_dir\\'"

link=$(start_menu_link)
if [ -n "$link" ]; then
  launcher_wine_pass "the Start menu has an entry named \"$name\""
  link_windows=$(winepath -w "$link" 2>/dev/null)
  check "the entry starts the installed program with its icon" \
    sh -c "$(declare -f expect_equal); expect_equal \
      \"\$(wine '$probe' shortcut '$link_windows' | tr -d '\r')\" \
      'target=$program_dir\\quadrix.exe
arguments=
icon=$program_dir\\quadrix.exe,0'"
else
  launcher_wine_fail "the Start menu has an entry named \"$name\"" \
    "$(find "$QX_DRIVE_C/users" -name '*.lnk' 2>/dev/null)"
  launcher_wine_fail "the entry starts the installed program with its icon" "no entry"
fi
check "the program carries its icon, 48 x 48 at 32 bits, as group 129" \
  sh -c "$(declare -f expect_equal); expect_equal \
    \"\$(wine '$probe' icon-group '$program_dir\\quadrix.exe' 129 | tr -d '\r')\" \
    'icon-group=129
image=48x48x32'"

check "the installed program starts through the registry route" \
  starts_with_runtime "$program_dir\\quadrix.exe" "$environment_dir\\basert.rtl"

# ---- Uninstall ------------------------------------------------------------------
# The uninstaller runs from a copy of itself and returns at once: wait for
# the program directory to go.
wine "$program_dir\\uninstall.exe" /S >/dev/null 2>&1
for _ in $(seq 1 300); do
  [ -e "$program_unix" ] || break
  sleep 0.2
done
check "the uninstaller removes the program's files" absent "$program_unix"
check "the uninstaller removes the environment's files" \
  absent "$QX_DRIVE_C/Program Files/Tenvale"
check "the uninstaller removes the Start-menu entry" sh -c "[ -z '$(start_menu_link)' ]"
if launcher_wine_key_exists || wine reg query 'HKCU\Software\Tenvale' >/dev/null 2>&1; then
  launcher_wine_fail "the uninstaller removes the key" "$(wine reg query 'HKCU\Software\Tenvale' /s 2>&1)"
else
  launcher_wine_pass "the uninstaller removes the key"
fi
if wine reg query "$uninstall_key" >/dev/null 2>&1; then
  launcher_wine_fail "the uninstaller removes its entry among the installed programs"
else
  launcher_wine_pass "the uninstaller removes its entry among the installed programs"
fi

# ---- A key that names another environment stays ------------------------------
wine 'C:\setup.exe' /S >/dev/null 2>&1
launcher_wine_reg_set Path 'D:\elsewhere\' >/dev/null 2>&1
wine "$program_dir\\uninstall.exe" /S >/dev/null 2>&1
for _ in $(seq 1 300); do
  [ -e "$program_unix" ] || break
  sleep 0.2
done
check "the uninstaller keeps a key another installation rewrote" \
  sh -c "$(declare -f expect_equal launcher_wine_reg_get); QX_INSTALL_KEY='$QX_INSTALL_KEY'
    ! [ -e '$program_unix' ] && expect_equal \"\$(launcher_wine_reg_get Path)\" 'D:\\elsewhere\\'"

# ---- The portable zip -----------------------------------------------------------
launcher_wine_reg_clear
mkdir -p "$QX_DRIVE_C/portable"
check "the portable zip unpacks" unzip -q "$portable" -d "$QX_DRIVE_C/portable"
check "the portable program starts with the runtime beside it and no key" \
  starts_with_runtime "C:\\portable\\quadrix-$version\\quadrix.exe" \
  "C:\\portable\\quadrix-$version\\basert.rtp"

launcher_wine_summary
