# shellcheck shell=bash disable=SC2034 # the sourcing scripts use what is set here
# Shared set-up of the tests under Wine, sourced by launcher_test.sh and
# installer_test.sh, which run inside tests/windows/with-wine (a prefix of
# their own in a temporary directory, booted once, under their own X
# server): a scratch directory, a persistent server for the many short runs
# that follow, and a report in the Test Anything Protocol's form.
#
# Sets QX_TMP and QX_DRIVE_C.

# Runs the calling script again inside with-wine, unless it already is.
launcher_wine_relaunch() {
  if [ -z "${QUADRIX_WITH_WINE_DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
    exec "$(dirname "${BASH_SOURCE[0]}")/with-wine" "$@"
  fi
}

launcher_wine_require() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || {
      echo "$tool is missing: run scripts/install-deps --windows" >&2
      exit 1
    }
  done
}

# Makes the scratch directory, removed when the script ends (unless QX_KEEP
# is set), and keeps the prefix's server running between runs.
launcher_wine_start() {
  QX_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quadrix-wine-test.XXXXXX")
  trap launcher_wine_stop EXIT
  wineserver -p
  QX_DRIVE_C="$WINEPREFIX/drive_c"
}

launcher_wine_stop() {
  if [ -n "${QX_KEEP:-}" ]; then
    echo "# kept $QX_TMP"
  else
    rm -rf "$QX_TMP"
  fi
}

# The registry key of the installed environment.
QX_INSTALL_KEY='HKCU\Software\Tenvale\Quill\Install'

# Removes the key and its parents up to Software\Tenvale.
launcher_wine_reg_clear() {
  wine reg delete 'HKCU\Software\Tenvale' /f >/dev/null 2>&1 || true
}

# Writes value NAME of the key, by default as a text value (TYPE REG_SZ;
# REG_BINARY takes DATA in hexadecimal), and checks that the registry holds
# exactly DATA afterwards (a trailing backslash included).
launcher_wine_reg_set() {
  local name=$1 data=$2 type=${3:-REG_SZ} stored
  wine reg add "$QX_INSTALL_KEY" /v "$name" /t "$type" /d "$data" /f \
    >/dev/null 2>&1 || return 1
  stored=$(launcher_wine_reg_get "$name") || return 1
  [ "$type" != REG_BINARY ] || {
    stored=${stored^^}
    data=${data^^}
  }
  if [ "$stored" != "$data" ]; then
    echo "# the registry holds [$stored], not [$data]" >&2
    return 1
  fi
}

# Writes text value NAME of the key through a registry file in UTF-16, as
# `wine reg` passes on only what the console's code page can spell.
launcher_wine_reg_import() {
  local name=$1 data=$2 file="$QX_TMP/import.reg"
  {
    printf '\xff\xfe'
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tenvale\\Quill\\Install]\r\n"%s"="%s"\r\n' \
      "$name" "${data//\\/\\\\}" | iconv -f UTF-8 -t UTF-16LE
  } >"$file" || return 1
  wine regedit /s "$(winepath -w "$file")" >/dev/null 2>&1
}

# Prints value NAME of the key; fails when the key or the value is missing.
launcher_wine_reg_get() {
  local name=$1 line
  line=$(wine reg query "$QX_INSTALL_KEY" /v "$name" 2>/dev/null |
    tr -d '\r' | grep -E "^ +$name +REG_") || return 1
  # "    Path    REG_SZ    C:\dir\": the data follows the type and its spaces.
  printf '%s\n' "$line" | sed -E "s/^ +$name +REG_[A-Z_]+ {4}//"
}

launcher_wine_key_exists() {
  wine reg query "$QX_INSTALL_KEY" >/dev/null 2>&1
}

QX_PASSED=0
QX_FAILED=0
QX_COUNT=0
launcher_wine_pass() {
  QX_COUNT=$((QX_COUNT + 1))
  QX_PASSED=$((QX_PASSED + 1))
  echo "ok $QX_COUNT - $1"
}
launcher_wine_fail() {
  QX_COUNT=$((QX_COUNT + 1))
  QX_FAILED=$((QX_FAILED + 1))
  echo "not ok $QX_COUNT - $1"
  shift
  local line
  for line in "$@"; do
    printf '%s\n' "$line" | sed 's/^/#   /'
  done
}
launcher_wine_summary() {
  echo "1..$QX_COUNT"
  echo "# $QX_PASSED passed, $QX_FAILED failed"
  [ "$QX_FAILED" -eq 0 ]
}
