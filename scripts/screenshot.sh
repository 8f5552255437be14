#!/bin/sh
# Saves a picture of each page of the Quadrix window as
# docs/screenshot-page0.png ... docs/screenshot-page4.png, under Xvfb, and
# one of a long result fully shown as docs/screenshot-long-result.png, one
# of the working of a fraction sum as docs/screenshot-fraction-working.png
# and of the quadratic and system pages' workings as
# docs/screenshot-quadratic-working.png and docs/screenshot-system-working.png
# (typed with real X input; skipped without xdotool).
#
#   scripts/screenshot.sh [BUILD_DIR]     (default: build)
#
# The window saves itself (QUADRIX_SCREENSHOT) after showing the page named
# by QUADRIX_START_PAGE, then the program ends. Without xvfb-run the pictures
# are drawn by Qt's offscreen platform instead.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
quadrix=$build/bin/quadrix
docs=$root/docs
pages="0 1 2 3 4"

if [ ! -x "$quadrix" ]; then
  echo "screenshot: $quadrix does not exist; build Quadrix first" >&2
  exit 1
fi

# Inside the display server: one run of the program per page.
if [ "${QUADRIX_SCREENSHOT_INNER:-}" = 1 ]; then
  for page in $pages; do
    picture=$docs/screenshot-page$page.png
    rm -f "$picture"
    QUADRIX_SCREENSHOT=$picture QUADRIX_START_PAGE=$page "$quadrix"
    if [ ! -s "$picture" ]; then
      echo "screenshot: page $page was not saved" >&2
      exit 1
    fi
    echo "screenshot: $picture"
  done
  exit 0
fi

mkdir -p "$docs"
status=0
"$root/tests/e2e/long_result_picture.sh" "$quadrix" \
  "$docs/screenshot-long-result.png" || status=$?
if [ "$status" -eq 77 ]; then
  echo "screenshot: no picture of a long result (xdotool, xclip or Xvfb missing)" >&2
elif [ "$status" -ne 0 ]; then
  exit "$status"
fi

status=0
"$root/tests/e2e/fraction_working_picture.sh" "$quadrix" \
  "$docs/screenshot-fraction-working.png" || status=$?
if [ "$status" -eq 77 ]; then
  echo "screenshot: no picture of a fraction working (xdotool, xclip or Xvfb missing)" >&2
elif [ "$status" -ne 0 ]; then
  exit "$status"
fi

for equation in quadratic system; do
  status=0
  "$root/tests/e2e/equation_working_picture.sh" "$quadrix" \
    "$docs/screenshot-$equation-working.png" "$equation" || status=$?
  if [ "$status" -eq 77 ]; then
    echo "screenshot: no picture of a $equation working (xdotool, xclip or Xvfb missing)" >&2
  elif [ "$status" -ne 0 ]; then
    exit "$status"
  fi
done

export QUADRIX_SCREENSHOT_INNER=1
if command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build"
fi
echo "screenshot: xvfb-run not found; drawing offscreen" >&2
QT_QPA_PLATFORM=offscreen exec "$0" "$build"
