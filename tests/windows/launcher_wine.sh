# Shared set-up of the tests under Wine, sourced by launcher_test.sh and
# installer_test.sh: a Wine prefix of their own in a temporary directory,
# booted once, with a persistent server for the many short runs that follow,
# and a report in the Test Anything Protocol's form.
#
# Uses: QX_TMP (set here), WINEPREFIX, the functions below. The caller runs
# under its own X server (see launcher_wine_relaunch).

# Runs the calling script again under an X server of its own, unless it
# already is.
launcher_wine_relaunch() {
  if [ -z "${QX_WINE_UNDER_XVFB:-}" ]; then
    command -v xvfb-run >/dev/null 2>&1 || {
      echo "xvfb-run is missing (package xvfb)" >&2
      exit 1
    }
    export QX_WINE_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
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

# Makes the temporary directory and the prefix; removes both, and stops
# the prefix's server, when the script ends.
launcher_wine_start() {
  QX_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quadrix-wine.XXXXXX")
  export WINEPREFIX="$QX_TMP/prefix"
  export WINEARCH=win32
  export WINEDEBUG=-all
  # No offers to fetch the .NET and browser add-ons while the prefix boots.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  trap launcher_wine_stop EXIT
  if ! wineboot -i >"$QX_TMP/wineboot.log" 2>&1; then
    cat "$QX_TMP/wineboot.log" >&2
    echo "wineboot -i failed" >&2
    exit 1
  fi
  # One server for all the runs, instead of one started and stopped by each.
  wineserver -p
  QX_DRIVE_C="$WINEPREFIX/drive_c"
}

launcher_wine_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "${QX_TMP:-}" ] && [ -z "${QX_KEEP:-}" ]; then
    rm -rf "$QX_TMP"
  elif [ -n "${QX_TMP:-}" ]; then
    echo "# kept $QX_TMP"
  fi
}

# Cross-compiles one C++ source with the Windows compiler: an executable,
# or a DLL when the output ends in .dll. Statically linked, so that no
# compiler runtime DLL has to lie beside it. Further arguments (include
# directories, libraries) follow the source.
launcher_wine_compile() {
  local output=$1 source=$2
  shift 2
  local kind=()
  case $output in
  *.dll) kind=(-shared) ;;
  esac
  "${QX_WIN_CXX:-i686-w64-mingw32-g++-posix}" -std=c++20 -O2 -Wall -Wextra \
    -Wpedantic -static "${kind[@]}" -o "$output" "$source" "$@"
}

# The registry key of the installed environment.
QX_INSTALL_KEY='HKCU\Software\Tenvale\Quill\Install'

# Removes the key and its parents up to Software\Tenvale.
launcher_wine_reg_clear() {
  wine reg delete 'HKCU\Software\Tenvale' /f >/dev/null 2>&1 || true
}

# Writes value NAME of the key as a text value, and checks that the
# registry holds exactly DATA afterwards (a trailing backslash included).
launcher_wine_reg_set() {
  local name=$1 data=$2 stored
  wine reg add "$QX_INSTALL_KEY" /v "$name" /t REG_SZ /d "$data" /f \
    >/dev/null 2>&1 || return 1
  stored=$(launcher_wine_reg_get "$name") || return 1
  if [ "$stored" != "$data" ]; then
    echo "# the registry holds [$stored], not [$data]" >&2
    return 1
  fi
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
