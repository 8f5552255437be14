#!/usr/bin/env bash
# The real quadrix.exe window under Wine, driven with X input events: its
# title and outer size, a message box, the quadratic page's flow typed and
# clicked as a user would (Ctrl+Tab to the page, the coefficients, "求根",
# the roots read back, their working, the clear link and the guide it
# brings back), a refused keystroke undone, the
# calculator started from the menu, and "退出(&X)" ending the program with
# exit code 0.
#
# usage: tests/windows/with-wine tests/windows/window_test.sh [BIN_DIR]
#        (default build-win32/bin)
set -u
readonly kDriver=window_test
bin=${1:-build-win32/bin}
# shellcheck source=tests/windows/wine_session.sh
. "$(dirname "$0")/wine_session.sh"

# Wine ships no calculator: a program of its own stands in at the path the
# menu item starts, and its window shows that it was started.
stand_in_title=""
if [ ! -f "$system32/calc.exe" ]; then
  cp "$system32/clock.exe" "$system32/calc.exe" || fail "no stand-in calculator"
  stand_in_title='^Clock$'
fi

# Wine reports the program's errors and exceptions (an abort is "raise (22)"),
# so that an unexpected exit status comes with a clue in the program's output.
start_quadrix WINEDEBUG=-all,err+all,+seh
failures=0
check() { # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1: expected '$2', got '$3'" >&2
    failures=$((failures + 1))
  fi
}

# ---- The window ------------------------------------------------------------
check "title" "QuadrixV1.0" "$(xdotool getwindowname "$window")"
geometry=$(xwininfo -id "$window")
check "outer width" 542 "$(awk '/Width:/ {print $2}' <<<"$geometry")"
check "outer height" 693 "$(awk '/Height:/ {print $2}' <<<"$geometry")"
measure_client_area
echo "client area at +$((client_x - window_x))+$((client_y - window_y))"

# ---- A message box ------------------------------------------------------------
# "求解" with no coefficient: the page's message in a modal box whose caption
# is the window's title (a second window of that title), closed by Enter.
click 求解
boxes_titled() { xdotool search --onlyvisible --name "$kTitle" 2>/dev/null | grep -c .; }
box_shown() { [ "$(boxes_titled)" -ge 2 ]; }
poll 100 box_shown
check "windows titled QuadrixV1.0 with the message box" 2 "$(boxes_titled)"
xdotool key Return
box_gone() { [ "$(boxes_titled)" -le 1 ]; }
poll 50 box_gone
check "windows titled QuadrixV1.0 after Enter" 1 "$(boxes_titled)"

# ---- x² - 3x + 2 = 0 on the quadratic page ---------------------------------
# Ctrl+Tab from the first page's box turns two pages and leaves the focus on
# the quadratic page's first box.
click 编辑框1
xdotool key ctrl+Tab
sleep 0.2
xdotool key ctrl+Tab
sleep 0.2
xdotool type --delay 30 -- "1"
xdotool key Tab
xdotool type --delay 30 -- "-3"
xdotool key Tab
xdotool type --delay 30 -- "2"
declare -A typed
for box in 二次项系数 一次项系数 常数项; do
  click "$box"
  typed[$box]=$(copy_focused)
done
check "a as typed" 1 "${typed[二次项系数]}"
check "b as typed" -3 "${typed[一次项系数]}"
check "c as typed" 2 "${typed[常数项]}"
click 求根
sleep 0.5
click x1
check "x1" 2 "$(copy_focused)"
click x2
check "x2" 1 "$(copy_focused)"
# Shift+Tab from the button goes back through the result boxes.
click 求根
xdotool key shift+Tab shift+Tab
check "Shift+Tab from 求根 reaches x1" 2 "$(copy_focused)"

# The working of the roots in the hypertext view, ending in its return link.
click 超文本浏览框1
shown=$(copy_focused | tr -d '\r')
check "the working's return link" 返回使用指南 "$(tail -n 1 <<<"$shown")"
check "the working names the roots" yes "$(grep -q 'x₁' <<<"$shown" && echo yes || echo no)"

# The clear link empties the page's boxes (an empty box copies nothing) and
# brings the guide back.
click 清空
sleep 0.3
click x1
check "x1 after 清空" '<nothing copied>' "$(copy_focused)"
click 常数项
check "c after 清空" '<nothing copied>' "$(copy_focused)"
click 超文本浏览框1
check "the guide after 清空" "Quadrix 使用指南" "$(copy_focused | head -n 1 | tr -d '\r')"

# ---- A whole-number box undoes a letter --------------------------------------
# Ctrl+Tab turns the page from a control on it.
click x1
xdotool key ctrl+Tab
sleep 0.3
click 分子1
xdotool key ctrl+a BackSpace
xdotool type --delay 30 -- "4x2"
check "分子1 after typing 4x2" 42 "$(copy_focused)"

# ---- The menu ----------------------------------------------------------------
if [ -n "$stand_in_title" ]; then
  open_menu
  xdotool key Down Return
  calculator_shown() { xdotool search --onlyvisible --name "$stand_in_title" >/dev/null 2>&1; }
  if poll 150 calculator_shown; then
    echo "ok: the calculator item started system32\\calc.exe"
    wine taskkill /f /im calc.exe >/dev/null 2>&1
    calculator_gone() { ! calculator_shown; }
    poll 100 calculator_gone || echo "note: the calculator window is still shown"
  else
    echo "FAILED: no calculator window after choosing 计算器" >&2
    failures=$((failures + 1))
  fi
fi
xdotool windowactivate --sync "$window" 2>/dev/null || true
open_menu
xdotool key x # 退出(&X)
wait_for_end 150
check "exit code after 退出(&X)" 0 "$status"

if [ "$failures" -ne 0 ]; then
  fail "$failures checks failed"
fi
echo "$kDriver: all checks passed"
