# What the drivers of a real window share, on X (x_driver.sh) and under Wine
# (tests/windows/wine_session.sh): the window's title, where the tab control
# lies, the check for the tools they need, and fail() and poll(). fail()
# shows $work/program.log, the program's output, when there is one.
# shellcheck shell=bash

: "${kDriver:?the sourcing script names itself in kDriver}"
readonly kSkip=77
readonly kTitle='^QuadrixV1\.0$'
# Where the tab control's top-left corner lies in the client area: page
# controls are placed relative to it.
readonly kTabLeft=53 kTabTop=6

# require_tools HINT TOOL...: a missing tool ends the caller with status 77
# (skipped), or 1 under CI, where HINT says what installs it.
require_tools() {
  local hint=$1 tool
  shift
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      if [ -n "${CI:-}" ]; then
        echo "$kDriver: $tool is missing ($hint installs it)" >&2
        exit 1
      fi
      echo "$kDriver: $tool is missing; skipping"
      exit $kSkip
    fi
  done
}

fail() {
  echo "$kDriver: FAILED: $*" >&2
  if [ -s "${work:-}/program.log" ]; then
    echo "---- program output" >&2
    cat "$work/program.log" >&2
  fi
  exit 1
}

# Polls `condition` (a command) every 50 ms for at most `tenths` tenths of a
# second; true as soon as it holds.
poll() {
  local tenths=$1
  shift
  local i
  for ((i = 0; i < tenths * 2; ++i)); do
    "$@" && return 0
    sleep 0.05
  done
  "$@"
}
