#!/bin/bash
# Saves a picture of the quadrix window showing the working of a fraction
# sum in the hypertext view: 1/6 + 3/4 on page 分数运算1, typed and clicked
# with real X input on a private virtual X server.
#
#   fraction_working_picture.sh PROGRAM PICTURE
#
# Exit status: 0 saved, 1 failed, 77 skipped (xdotool, xclip or Xvfb is
# missing).
set -u

readonly kDriver=picture
program=${1:-}
picture=${2:-}
if [ -z "$program" ] || [ ! -x "$program" ] || [ -z "$picture" ]; then
  echo "picture: usage: fraction_working_picture.sh PROGRAM PICTURE" >&2
  exit 1
fi
rm -f "$picture"
ready=$(mktemp -u "${TMPDIR:-/tmp}/quadrix-picture-ready.XXXXXX")
export QUADRIX_SCREENSHOT=$picture QUADRIX_SCREENSHOT_AFTER=$ready
export QUADRIX_START_PAGE=3
# shellcheck source=tests/e2e/x_driver.sh
. "$(dirname "$0")/x_driver.sh"

type_into 编辑框4 1/6
type_into 编辑框5 3/4
# The operator list: open it and take its first item, "＋".
click 组合框2
xdotool key Home Return
click 计算2
expect_text 编辑框12 11/12
touch "$ready"
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
poll 100 program_ended || fail "quadrix did not save the picture"
rm -f "$ready"
[ -s "$picture" ] || fail "no picture in $picture"
echo "picture: $picture"
