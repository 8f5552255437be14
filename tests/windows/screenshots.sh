#!/usr/bin/env bash
# Pictures of the five pages of quadrix.exe under Wine, as the program saves
# them itself (QUADRIX_SCREENSHOT with QUADRIX_START_PAGE), and of the
# quadratic page's working after x² - 3x + 2 = 0 is typed and solved with X
# input (QUADRIX_SCREENSHOT_AFTER), converted to PNG.
#
# usage: tests/windows/with-wine tests/windows/screenshots.sh [BIN_DIR [OUT_DIR]]
#        (defaults build-win32/bin and docs/windows)
set -u
readonly kDriver=screenshots
bin=${1:-build-win32/bin}
out=${2:-docs/windows}
here=$(cd "$(dirname "$0")" && pwd)
readonly kMoreTools=python3 # bmp_to_png.py
# shellcheck source=tests/windows/wine_session.sh
. "$here/wine_session.sh"

mkdir -p "$out" || fail "cannot make $out"
for page in 0 1 2 3 4; do
  picture="$work/page$page.bmp"
  (cd "$bin" && QUADRIX_SCREENSHOT=$(winepath -w "$picture") \
    QUADRIX_START_PAGE=$page timeout 120 wine ./quadrix.exe) \
    >"$work/program.log" 2>&1
  [ -s "$picture" ] || fail "quadrix.exe saved no picture of page $page"
  python3 "$here/bmp_to_png.py" "$picture" "$out/page$page.png" ||
    fail "cannot convert the picture of page $page"
  echo "$out/page$page.png"
done

picture="$work/working.bmp"
ready="$work/ready"
start_quadrix QUADRIX_SCREENSHOT="$(winepath -w "$picture")" \
  QUADRIX_SCREENSHOT_AFTER="$(winepath -w "$ready")" QUADRIX_START_PAGE=2
measure_client_area
click 二次项系数
xdotool type --delay 30 -- "1"
xdotool key Tab
xdotool type --delay 30 -- "-3"
xdotool key Tab
xdotool type --delay 30 -- "2"
click 求根
sleep 1
touch "$ready"
wait_for_end 300
[ -s "$picture" ] || fail "quadrix.exe saved no picture of the working"
python3 "$here/bmp_to_png.py" "$picture" "$out/working.png" ||
  fail "cannot convert the picture of the working"
echo "$out/working.png"
