#!/bin/bash
# Saves a picture of the quadrix window showing the working of an equation
# page in the hypertext view, typed and clicked with real X input on a
# private virtual X server:
#   quadratic  x² − 2x − 1 = 0 on page 一元二次方程 (√8 = 2√2, x = 1 ± √2)
#   system     2x + 3y = 8, x − y = −1 on page 二元一次方程组
#
#   equation_working_picture.sh PROGRAM PICTURE quadratic|system
#
# Exit status: 0 saved, 1 failed, 77 skipped (xdotool, xclip or Xvfb is
# missing).
set -u

readonly kDriver=picture
program=${1:-}
picture=${2:-}
which=${3:-}
case "$which" in
quadratic) page=2 ;;
system) page=1 ;;
*) page= ;;
esac
if [ -z "$program" ] || [ ! -x "$program" ] || [ -z "$picture" ] ||
  [ -z "$page" ]; then
  echo "picture: usage: equation_working_picture.sh PROGRAM PICTURE quadratic|system" >&2
  exit 1
fi
rm -f "$picture"
ready=$(mktemp -u "${TMPDIR:-/tmp}/quadrix-picture-ready.XXXXXX")
export QUADRIX_SCREENSHOT=$picture QUADRIX_SCREENSHOT_AFTER=$ready
export QUADRIX_START_PAGE=$page
# shellcheck source=tests/e2e/x_driver.sh
. "$(dirname "$0")/x_driver.sh"

if [ "$which" = quadratic ]; then
  type_into 二次项系数 1
  type_into 一次项系数 -2
  type_into 常数项 -1
  click 求根
  expect_text x1 2.41421356237309
else
  type_into xya1 2
  type_into xyb1 3
  type_into xyc1 8
  type_into xya2 1
  type_into xyb2 -1
  type_into xyc2 -1
  click 求方程组
  expect_text xyx 1
  expect_text xyy 2
fi
touch "$ready"
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
poll 100 program_ended || fail "quadrix did not save the picture"
rm -f "$ready"
[ -s "$picture" ] || fail "no picture in $picture"
echo "picture: $picture"
