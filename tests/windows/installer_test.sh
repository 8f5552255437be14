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
# portable.zip (make windows-installer) and tests/launcher/installer_probe.exe
# (make windows). The test runs inside tests/windows/with-wine, and calls it
# itself if need be. QX_KEEP=1 keeps the temporary
# directory. Prints TAP; exits non-zero when a check fails.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
# shellcheck source-path=SCRIPTDIR source=launcher_wine.sh
. "$here/launcher_wine.sh"

build=$(realpath "${1:-$source_dir/build-win32}" 2>/dev/null) || build=""
version=$(sed -n 's/^project(Quadrix VERSION \([0-9.]*\).*/\1/p' \
  "$source_dir/CMakeLists.txt")
setup="$build/quadrix-$version-setup.exe"
portable="$build/quadrix-$version-portable.zip"
probe_built="$build/tests/launcher/installer_probe.exe"
box_built="$build/tests/launcher/launcher_message_box.exe"
for file in "$setup" "$portable" "$probe_built" "$box_built"; do
  [ -f "$file" ] || {
    echo "no $file: run make windows-installer" >&2
    exit 1
  }
done
name=$(sed -n 's/^Name=//p' "$source_dir/packaging/quadrix.desktop" | head -n 1)

launcher_wine_relaunch "$0" "$build"
launcher_wine_require wine wineserver winepath unzip
launcher_wine_start

probe="$QX_TMP/installer_probe.exe"
cp "$probe_built" "$probe"
launcher_message_box="$QX_TMP/launcher_message_box.exe"
cp "$box_built" "$launcher_message_box"

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
    # Notes on how the check went.
    printf '%s\n' "$output" | grep '^# ' || true
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

# Starts WINDOWS_PATH and expects it to start RUNTIME and end with exit code
# 0. With a window, the window's process must have RUNTIME loaded, and the
# window is closed; a build without a desktop view shows none and ends by
# itself, which it does with 0 only when it found a runtime. A launcher that
# shows its error message instead fails here, and the box is dismissed.
starts_with_runtime() { # WINDOWS_PATH RUNTIME
  local program=$1 runtime=$2
  timeout -k 5 120 wine "$program" >/dev/null 2>&1 &
  local started=$! seen="" status
  for _ in $(seq 1 60); do
    kill -0 "$started" 2>/dev/null || break
    if seen=$(wine "$probe" window "$title" 1000 | tr -d '\r'); then
      break
    fi
    seen=""
  done
  if [ -z "$seen" ] && kill -0 "$started" 2>/dev/null; then
    wine "$launcher_message_box" Error 20000
    seen="no window, and still running"
  fi
  wait "$started"
  status=$?
  if [ -n "$seen" ]; then
    expect_equal "$seen" "title=$title
runtime=$runtime" || return 1
  else
    echo "# no window (a build without a desktop view): the exit code decides"
  fi
  [ "$status" -eq 0 ] || {
    echo "exit status $status"
    return 1
  }
}

# Starts WINDOWS_PATH and expects the launcher's error message and exit
# code -1 (255 as Linux sees it).
fails_with_message() { # WINDOWS_PATH
  timeout -k 5 120 wine "$1" >/dev/null 2>&1 &
  local started=$! box status
  box=$(wine "$launcher_message_box" Error 60000 | tr -d '\r')
  wait "$started"
  status=$?
  expect_equal "$(printf '%s\n' "$box" | head -n 2)" "caption=Error
text=Not found the kernel library or the kernel library is invalid!" || return 1
  [ "$status" -eq 255 ] || {
    echo "exit status $status, expected 255"
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
# ... and on nothing else: without the environment's runtime it fails.
mv "$environment_unix/basert.rtl" "$QX_TMP/basert.rtl"
check "without the environment's basert.rtl the installed program fails" \
  fails_with_message "$program_dir\\quadrix.exe"
# The Start-menu entry opened as the shell opens it: the launcher's message
# shows that it started the installed program.
if [ -n "$link" ]; then
  check "the Start-menu entry starts the installed program" sh -c "
    wine start '$link_windows' >/dev/null 2>&1
    box=\$(wine '$launcher_message_box' Error 60000 | tr -d '\r' | head -n 1)
    [ \"\$box\" = caption=Error ] || { echo \"\$box\"; exit 1; }"
fi
mv "$QX_TMP/basert.rtl" "$environment_unix/basert.rtl"

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
# shellcheck disable=SC1003 # a backslash at the end of a Windows path
launcher_wine_reg_set Path 'D:\elsewhere\' >/dev/null 2>&1
wine "$program_dir\\uninstall.exe" /S >/dev/null 2>&1
for _ in $(seq 1 300); do
  [ -e "$program_unix" ] || break
  sleep 0.2
done
check "the uninstaller keeps a key another installation rewrote" \
  sh -c "$(declare -f expect_equal launcher_wine_reg_get); QX_INSTALL_KEY='$QX_INSTALL_KEY'
    ! [ -e '$program_unix' ] && expect_equal \"\$(launcher_wine_reg_get Path)\" 'D:\\elsewhere\\'"

# ---- Another folder for the program ------------------------------------------
launcher_wine_reg_clear
custom_unix="$QX_DRIVE_C/Custom/Quadrix"
wine 'C:\setup.exe' /S '/D=C:\Custom\Quadrix' >/dev/null 2>&1
check "a folder chosen with /D holds the program, the environment stays in Program Files" \
  sh -c "$(declare -f files_present expect_equal launcher_wine_reg_get); QX_INSTALL_KEY='$QX_INSTALL_KEY'
    files_present '$custom_unix' quadrix.exe uninstall.exe &&
    files_present '$environment_unix' basert.rtl &&
    expect_equal \"\$(launcher_wine_reg_get Path)\" '$environment_dir\\'"
check "the program in the chosen folder starts through the registry route" \
  starts_with_runtime 'C:\Custom\Quadrix\quadrix.exe' "$environment_dir\\basert.rtl"
wine 'C:\Custom\Quadrix\uninstall.exe' /S >/dev/null 2>&1
for _ in $(seq 1 300); do
  [ -e "$custom_unix" ] || break
  sleep 0.2
done
check "its uninstaller removes both folders" \
  absent "$custom_unix" "$QX_DRIVE_C/Program Files/Tenvale"

# ---- The portable zip -----------------------------------------------------------
launcher_wine_reg_clear
mkdir -p "$QX_DRIVE_C/portable"
check "the portable zip unpacks" unzip -q "$portable" -d "$QX_DRIVE_C/portable"
check "the portable program starts with the runtime beside it and no key" \
  starts_with_runtime "C:\\portable\\quadrix-$version\\quadrix.exe" \
  "C:\\portable\\quadrix-$version\\basert.rtp"

launcher_wine_summary
