#!/bin/bash
# Drives the real quadrix window with X input events, as a person would, on a
# private virtual X server: solves equations, calculates with fractions,
# clears pages and reads every result back through the clipboard. Enter in a
# box computes, full-width digits count as digits, and after a message box
# the typing goes on in the box it came from.
#
#   quadrix_e2e.sh PROGRAM      (the build tree's bin/quadrix or /usr/bin/quadrix)
#
# Exit status: 0 passed, 1 failed, 77 skipped (xdotool, xclip or Xvfb is
# missing; under CI a missing tool is a failure instead).
set -u

readonly kDriver=e2e
program=${1:-}
if [ -z "$program" ] || [ ! -x "$program" ]; then
  echo "e2e: usage: quadrix_e2e.sh PROGRAM (got '${program}')" >&2
  exit 1
fi
# shellcheck source=tests/e2e/x_driver.sh
. "$(dirname "$0")/x_driver.sh"

# ---- Page 0: the linear equation, the page on show at start ----------------
type_into 编辑框1 2
type_into 编辑框2 -4
click 求解
expect_text 编辑框3 2

# Enter in a box presses 求解. With the constant missing a message box says
# so; once it is closed, the typing goes on in the constant's box. The
# result is longer than its box: the clipboard holds all of it.
type_into 编辑框1 3
type_into 编辑框2 ""
xdotool key Return
close_message_box "an empty constant"
xdotool type -- 7
xdotool key Return
expect_text 编辑框3 -2.33333333333333
expect_text 编辑框2 7

# Full-width digits, as a Chinese input method types them, are digits.
type_wide_into 编辑框1 ２ 2
type_wide_into 编辑框2 ３ 3
click 编辑框2
xdotool key KP_Enter
expect_text 编辑框3 -1.5

# ---- Page 2: the quadratic equation ----------------------------------------
next_page 编辑框1
next_page xya1
type_into 二次项系数 1
type_into 一次项系数 -3
type_into 常数项 2
click 求根
expect_text x1 2
expect_text x2 1

type_into 一次项系数 0
type_into 常数项 1
click 求根
expect_text x1 方程无实数根
expect_text x2 方程无实数根

# An empty coefficient is reported in a message box and nothing is written.
type_into 常数项 ""
click 求根
close_message_box "an empty coefficient"
expect_text x1 方程无实数根

# "清空" empties the page on show.
click 清空
expect_text x1 ""
expect_text x2 ""
expect_empty_entry 一次项系数
expect_empty_entry 二次项系数

# ---- Page 3: fractions -------------------------------------------------------
next_page 二次项系数
type_into 编辑框4 1/2
type_into 编辑框5 1/3
click 计算2
expect_text 编辑框12 5/6

# "×" is the third item of the operator list.
click 组合框2
list_open() { [ "$(own_windows | grep -c .)" -gt "$(grep -c . "$work/windows.before")" ]; }
poll 50 list_open || fail "the operator list did not open"
xdotool key Down Down Return
poll 50 menu_closed || fail "the operator list did not close"
click 计算2
expect_text 编辑框12 1/6

click 清空
expect_text 编辑框12 ""
expect_empty_entry 编辑框4

# ---- Ending through the menu ---------------------------------------------------
xdotool mousemove $((window_x + 20)) $((window_y + 6)) click 1
poll 50 menu_shown || fail "the menu 常用工具 did not open"
xdotool key x
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
poll 100 program_ended || fail "quadrix did not end after 退出(&X)"
wait "$program_pid"
status=$?
program_pid=""
[ "$status" -eq 0 ] || fail "quadrix ended with status $status after 退出(&X)"
echo "e2e: passed"
