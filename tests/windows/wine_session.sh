# The Wine session of the Windows build's window tests, run inside
# tests/windows/with-wine (which gives it a prefix and an X server of its
# own): the prefix's window settings, and the functions that start
# quadrix.exe, find its window and act on its controls with X input events.
# Sourced by the window test and the screenshot script; $kDriver names the
# caller in messages and $bin is the directory holding quadrix.exe.
#
# A missing tool ends the caller with status 77 (skipped), or 1 under CI;
# any failure ends it with status 1.
# shellcheck shell=bash

# shellcheck source=tests/e2e/driver_basics.sh
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/driver_basics.sh"

if [ -z "${bin:-}" ] || [ ! -f "$bin/quadrix.exe" ]; then
  echo "$kDriver: no quadrix.exe in '${bin:-}' (make windows builds it)" >&2
  exit 1
fi
bin=$(cd "$bin" && pwd)

if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "$kDriver: run me inside tests/windows/with-wine" >&2
  exit 1
fi
require_tools "scripts/install-deps --windows" wine xdotool xwininfo xclip ${kMoreTools:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/quadrix-window.XXXXXX") || exit 1
program_pid=""
cleanup() {
  # with-wine ends the prefix's programs (the calculator included).
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null
    wait "$program_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# ---- The prefix's window settings -----------------------------------------
# Wine draws the window's frame itself (there is no window manager), so the
# X window is the outer window; the menus and message boxes get a face with
# Chinese characters when the system has one.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f \
  >/dev/null 2>&1 || fail "cannot set the window frame in the registry"
if [ -f /usr/share/fonts/truetype/arphic/uming.ttc ]; then
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v Tahoma /t REG_MULTI_SZ /d 'uming.ttc,AR PL UMing CN' /f >/dev/null 2>&1
fi
system32="$WINEPREFIX/drive_c/windows/system32"

# ---- Starting the program and finding its window ----------------------------
# Starts quadrix.exe with the environment words given (VAR=value) and waits
# for its window: sets $window, $window_x, $window_y.
start_quadrix() {
  (cd "$bin" && exec env "$@" wine ./quadrix.exe) >"$work/program.log" 2>&1 &
  program_pid=$!
  windows_titled() {
    xdotool search --onlyvisible --name "$kTitle" 2>/dev/null
  }
  window_shown() {
    [ -n "$(windows_titled)" ] || ! kill -0 "$program_pid" 2>/dev/null
  }
  poll 600 window_shown
  kill -0 "$program_pid" 2>/dev/null || fail "quadrix.exe ended before showing its window"
  window=$(windows_titled | head -n 1)
  [ -n "$window" ] || fail "no window titled QuadrixV1.0 within 60 s"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  window_x=$X
  window_y=$Y
}

# Waits for the program to end and sets $status to its exit code.
wait_for_end() {
  ended() { ! kill -0 "$program_pid" 2>/dev/null; }
  poll "${1:-100}" ended || fail "quadrix.exe did not end"
  status=0
  wait "$program_pid" || status=$?
  program_pid=""
}

# Finds where the client area lies: the menu "常用工具" opens right below the
# menu bar, whose first item starts at the client area's left edge. The bar
# lies below the caption, whose height depends on the system's metrics, so
# the first height that opens the menu is the bar's. Sets $client_x,
# $client_y and $menu_x, $menu_y (a point on the menu bar's first item).
measure_client_area() {
  local before y popup
  before=$(xwininfo -root -children | grep '^ *0x' | awk '{print $1}' | sort)
  # Right of the caption's icon (a click there opens the window's own menu)
  # and still on the first item of the bar.
  for ((y = 12; y <= 60; y += 4)); do
    xdotool mousemove $((window_x + 40)) $((window_y + y)) click 1
    sleep 0.3
    popup=$(xwininfo -root -children | grep '^ *0x' | awk '{print $1}' | sort |
      comm -13 <(echo "$before") - | head -n 1)
    if [ -n "$popup" ]; then
      eval "$(xdotool getwindowgeometry --shell "$popup")"
      client_x=$X
      client_y=$Y
      menu_x=$((window_x + 40))
      menu_y=$((window_y + y))
      xdotool key Escape
      sleep 0.2
      return 0
    fi
  done
  fail "the menu 常用工具 did not open below the caption"
}

# ---- Acting on controls ----------------------------------------------------
# The controls the tests use by their names in the form: where each lies
# (window: the client area; page: the tab control) and its rectangle.
declare -A rect=(
  [清空]="window 452 8 33 16"
  [超文本浏览框1]="window 12 176 510 422"
  [编辑框1]="page 67 67 95 24"
  [求解]="page 316 111 72 24"
  [二次项系数]="page 51 70 67 24"
  [一次项系数]="page 171 69 67 24"
  [常数项]="page 279 69 67 24"
  [x1]="page 61 118 120 24"
  [x2]="page 225 118 120 24"
  [求根]="page 355 117 56 24"
  [分子1]="page 21 56 19 19"
)

# Clicks the middle of control $1.
click() {
  local geometry=${rect[$1]:-}
  [ -n "$geometry" ] || fail "no rectangle for control $1"
  local parent left top width height
  read -r parent left top width height <<<"$geometry"
  local x=$((client_x + left + width / 2))
  local y=$((client_y + top + height / 2))
  if [ "$parent" = page ]; then
    x=$((x + kTabLeft))
    y=$((y + kTabTop))
  fi
  xdotool mousemove "$x" "$y" click 1
  sleep 0.1
}

# The text of the box with the keyboard focus, read through the clipboard.
copy_focused() {
  printf '%s' '<nothing copied>' | xclip -selection clipboard -i >/dev/null 2>&1
  xdotool key ctrl+a ctrl+c
  sleep 0.3
  xclip -o -selection clipboard 2>/dev/null
}

# Opens the menu 常用工具.
open_menu() {
  xdotool mousemove "$menu_x" "$menu_y" click 1
  sleep 0.3
}
