#!/bin/bash
# The launcher under Wine: the real quadrix.exe against stand-in runtimes
# (the fixture sources of the Linux launcher tests, cross-built as DLLs)
# placed beside it or in a directory named by the registry, which is
# written with `wine reg add`. Every run checks the exit code, what the
# runtime recorded and, where the launcher fails, the message box read from
# its window and dismissed by a helper program.
#
#   tests/windows/launcher_test.sh [BUILD_DIR]
#
# BUILD_DIR is the Windows build (build-win32): bin/quadrix.exe, and the
# fixtures and the message box reader in tests/launcher/ (make windows). The
# test runs inside tests/windows/with-wine, and calls it itself if need be.
# QX_KEEP=1 keeps the temporary directory. Prints TAP; exits non-zero when a
# case fails.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
# shellcheck source-path=SCRIPTDIR source=launcher_wine.sh
. "$here/launcher_wine.sh"

build=$(realpath "${1:-$source_dir/build-win32}" 2>/dev/null) || build=""
quadrix="${QX_QUADRIX_EXE:-$build/bin/quadrix.exe}"
for file in "$quadrix" "$build"/tests/launcher/{good.dll,refusing.dll,no_export.dll,data_symbol.dll,launcher_message_box.exe}; do
  [ -f "$file" ] || {
    echo "no $file: run make windows" >&2
    exit 1
  }
done

launcher_wine_relaunch "$0" "$build"
launcher_wine_require wine wineserver
launcher_wine_start

# ---- The stand-in runtimes and the message box reader ---------------------
tools="$QX_TMP/tools"
mkdir -p "$tools"
cp "$build"/tests/launcher/{good.dll,refusing.dll,no_export.dll,data_symbol.dll,launcher_message_box.exe} "$tools/"
printf 'this is a text file, not a library\n' >"$tools/text.dll"

# ---- One case --------------------------------------------------------------
error_text="Not found the kernel library or the kernel library is invalid!"
box_lines="caption=Error
text=$error_text
owner=none
icon=yes
button=OK"

record_unix="$QX_DRIVE_C/qx/record.txt"
export QX_FIXTURE_RECORD='C:\qx\record.txt'

# The Windows path of a place under C:\qx.
win_path() {
  printf 'C:\\qx\\%s' "${1//\//\\}"
}

# place RUNTIME DIRECTORY NAME: puts a stand-in (good, refusing, no_export,
# data_symbol, text) into C:\qx\DIRECTORY under NAME.
place() {
  mkdir -p "$QX_DRIVE_C/qx/$2"
  cp "$tools/$1.dll" "$QX_DRIVE_C/qx/$2/$3"
}

# run_case NAME STATUS RECORD [box]: runs C:\qx\NAME\bin\quadrix.exe (or
# C:\qx\DIRECTORY\bin\quadrix.exe, with CASE_DIRECTORY set) and compares its exit status (as Linux sees it) and the record; with "box",
# the launcher must show its message, which is read and dismissed.
run_case() {
  local name=$1 want_status=$2 want_record=$3 want_box=${4:-}
  local directory=${CASE_DIRECTORY:-$name}
  local bin="$QX_DRIVE_C/qx/$directory/bin"
  mkdir -p "$bin"
  cp "$quadrix" "$bin/quadrix.exe"
  rm -f "$record_unix"
  local out="$QX_TMP/$name"
  timeout -k 5 120 wine "$(win_path "$directory/bin/quadrix.exe")" \
    >"$out.stdout" 2>"$out.stderr" &
  local launcher=$!

  local problems=() box="" box_status=0
  if [ -n "$want_box" ]; then
    box=$(wine "$tools/launcher_message_box.exe" Error 30000 | tr -d '\r')
    box_status=$?
    [ "$box_status" -eq 0 ] || problems+=("message box reader: status $box_status")
    [ "$box" = "$box_lines" ] || problems+=("message box:" "$box" "expected:" "$box_lines")
  fi
  # A launcher that shows a message where none is due waits for it: the
  # box is dismissed after a while, and the case fails. Whatever is still
  # running then is stopped, so that the next case starts clean.
  local waited=0
  while kill -0 "$launcher" 2>/dev/null && [ $waited -lt 60 ]; do
    sleep 0.2
    waited=$((waited + 1))
  done
  if kill -0 "$launcher" 2>/dev/null; then
    box=$(wine "$tools/launcher_message_box.exe" Error 5000 | tr -d '\r')
    problems+=("still running after 12 s; a box said:" "$box")
    sleep 2
    if kill -0 "$launcher" 2>/dev/null; then
      wineserver -k
      wineserver -w
      wineserver -p
    fi
  fi
  wait "$launcher"
  local status=$?
  [ "$status" -eq "$want_status" ] || problems+=("exit status $status, expected $want_status")
  local record=""
  [ -f "$record_unix" ] && record=$(tr -d '\r' <"$record_unix")
  [ "$record" = "$want_record" ] || problems+=("record:" "$record" "expected:" "$want_record")

  if [ ${#problems[@]} -eq 0 ]; then
    launcher_wine_pass "$name"
  else
    launcher_wine_fail "$name" "${problems[@]}"
  fi
}

started() { # the record of the good runtime loaded from Windows path $1
  printf 'GetNewSock selector=1000 from=%s\nstart image=executable-data signature=WJ' "$1"
}
refused='GetNewSock selector=1000 refused'
box_after_unload=$'fixture unloaded\nmessage box'

# ---- The cases ---------------------------------------------------------------
# The runtime beside the executable wins, and the registry is never read:
# the directory it names holds one that refuses.
launcher_wine_reg_clear
place good beside/bin basert.rtp
place refusing beside-env basert.rtl
launcher_wine_reg_set Path "$(win_path beside-env)" || launcher_wine_fail "beside: registry set-up"
run_case beside 0 "$(started "$(win_path beside/bin/basert.rtp)")"

# ... also when there is no key at all.
launcher_wine_reg_clear
place good beside-no-key/bin basert.rtp
run_case beside-no-key 0 "$(started "$(win_path beside-no-key/bin/basert.rtp)")"

# ... also from a directory whose path is longer than 128 characters (but
# within the system's 260).
launcher_wine_reg_clear
deep="beside-deep$(printf '/a-rather-long-directory-name-%s' 1 2 3 4 5)"
place good "$deep/bin" basert.rtp
CASE_DIRECTORY=$deep run_case beside-deep 0 "$(started "$(win_path "$deep/bin/basert.rtp")")"

# The registry route, with and without a separator at the end of Path, and
# with a space in the directory's name.
for route in "no-separator:env1:" "separator:env2:\\" "space:env 3:"; do
  IFS=: read -r label directory ending <<<"$route"
  launcher_wine_reg_clear
  place good "$directory" basert.rtl
  launcher_wine_reg_set Path "$(win_path "$directory")$ending" ||
    launcher_wine_fail "registry-$label: registry set-up"
  run_case "registry-$label" 0 "$(started "$(win_path "$directory/basert.rtl")")"
done

# The value's type is not examined: an expandable text, and bytes without
# a terminator, name the directory as well; so does a name in Chinese.
launcher_wine_reg_clear
place good env-expandable basert.rtl
launcher_wine_reg_set Path "$(win_path env-expandable)" REG_EXPAND_SZ ||
  launcher_wine_fail "registry-expandable: registry set-up"
run_case registry-expandable 0 "$(started "$(win_path env-expandable/basert.rtl)")"

launcher_wine_reg_clear
place good env-binary basert.rtl
launcher_wine_reg_set Path "$(printf '%s' "$(win_path env-binary)" | od -An -tx1 | tr -d ' \n')" REG_BINARY ||
  launcher_wine_fail "registry-binary: registry set-up"
run_case registry-binary 0 "$(started "$(win_path env-binary/basert.rtl)")"

launcher_wine_reg_clear
place good 环境 basert.rtl
launcher_wine_reg_import Path "$(win_path 环境)" || launcher_wine_fail "registry-chinese: registry set-up"
run_case registry-chinese 0 "$(started "$(win_path 环境/basert.rtl)")"

# A directory longer than any path the system loads from is reported, not
# overrun.
launcher_wine_reg_clear
long_directory=$(printf 'long-directory-name-%.0s' $(seq 1 20))
launcher_wine_reg_set Path "$(win_path "$long_directory")" || launcher_wine_fail "registry-too-long: registry set-up"
run_case registry-too-long 255 "message box" box

# A file beside that is no library is passed over for the registry's.
launcher_wine_reg_clear
place text not-a-library/bin basert.rtp
place good not-a-library-env basert.rtl
launcher_wine_reg_set Path "$(win_path not-a-library-env)" || launcher_wine_fail "not-a-library: registry set-up"
run_case not-a-library 0 "$(started "$(win_path not-a-library-env/basert.rtl)")"

# Only basert.rtl counts in the installed directory, basert.rtp not.
launcher_wine_reg_clear
place good wrong-name-env basert.rtp
launcher_wine_reg_set Path "$(win_path wrong-name-env)" || launcher_wine_fail "wrong-name: registry set-up"
run_case wrong-name 255 "message box" box

# Missing key, missing value, missing file.
launcher_wine_reg_clear
run_case missing-key 255 "message box" box

launcher_wine_reg_clear
place good missing-value-env basert.rtl
launcher_wine_reg_set Other "$(win_path missing-value-env)" || launcher_wine_fail "missing-value: registry set-up"
run_case missing-value 255 "message box" box

launcher_wine_reg_clear
mkdir -p "$QX_DRIVE_C/qx/missing-file-env"
launcher_wine_reg_set Path "$(win_path missing-file-env)" || launcher_wine_fail "missing-file: registry set-up"
run_case missing-file 255 "message box" box

# A runtime without GetNewSock, and one whose GetNewSock refuses: each is
# released before the message, and a failing runtime beside the executable
# is not replaced by the registry's.
launcher_wine_reg_clear
place no_export no-export/bin basert.rtp
place good no-export-env basert.rtl
launcher_wine_reg_set Path "$(win_path no-export-env)" || launcher_wine_fail "no-export: registry set-up"
run_case no-export 255 "$box_after_unload" box

# A GetNewSock that is data, not code, is not called.
launcher_wine_reg_clear
place data_symbol data-symbol/bin basert.rtp
run_case data-symbol 255 "$box_after_unload" box

launcher_wine_reg_clear
place refusing refusing/bin basert.rtp
place good refusing-env basert.rtl
launcher_wine_reg_set Path "$(win_path refusing-env)" || launcher_wine_fail "refusing: registry set-up"
run_case refusing 255 "$refused"$'\n'"$box_after_unload" box

launcher_wine_reg_clear
place refusing refusing-installed-env basert.rtl
launcher_wine_reg_set Path "$(win_path refusing-installed-env)" || launcher_wine_fail "refusing-installed: registry set-up"
run_case refusing-installed 255 "$refused"$'\n'"$box_after_unload" box

launcher_wine_reg_clear
launcher_wine_summary
