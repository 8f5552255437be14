#!/bin/bash
# Saves a picture of the quadrix window showing results longer than their
# boxes from their first characters, one of them whole in its tooltip: the
# system 3x = -7, 3y = 2 solved with Enter (x = -2.33333333333333,
# y = 0.666666666666667), on a private virtual X server with real X input.
#
#   long_result_picture.sh PROGRAM PICTURE
#
# Exit status: 0 saved, 1 failed, 77 skipped (xdotool, xclip or Xvfb is
# missing).
set -u

readonly kDriver=picture
program=${1:-}
picture=${2:-}
if [ -z "$program" ] || [ ! -x "$program" ] || [ -z "$picture" ]; then
  echo "picture: usage: long_result_picture.sh PROGRAM PICTURE" >&2
  exit 1
fi
rm -f "$picture"
ready=$(mktemp -u "${TMPDIR:-/tmp}/quadrix-picture-ready.XXXXXX")
export QUADRIX_SCREENSHOT=$picture QUADRIX_SCREENSHOT_AFTER=$ready
# shellcheck source=tests/e2e/x_driver.sh
. "$(dirname "$0")/x_driver.sh"

next_page 编辑框1
type_into xya1 3
type_into xyb1 0
type_into xyc1 -7
type_into xya2 0
type_into xyb2 3
type_into xyc2 2
xdotool key Return
# Nothing is copied from the result boxes: selecting a text moves the view to
# its end. The tooltip over xyx shows once the long result is there.
own_windows | sort >"$work/windows.before"
click xyx hover
tooltip_shown() { [ "$(own_windows | grep -c .)" -gt "$(grep -c . "$work/windows.before")" ]; }
poll 50 tooltip_shown || fail "no tooltip over xyx"
touch "$ready"
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
poll 100 program_ended || fail "quadrix did not save the picture"
rm -f "$ready"
[ -s "$picture" ] || fail "no picture in $picture"
echo "picture: $picture"
