#!/bin/bash
# cli_scenarios.sh LINUX_CLI WINDOWS_CLI [SOURCE_DIR]
#
# Runs every .qxs scenario under SOURCE_DIR's tests/ and docs/ (default: the
# tree this script lies in) through the Linux quadrix-cli and through the
# Windows quadrix-cli.exe under Wine (run it inside with-wine), each with the
# same fixed seed, and fails unless both print the same bytes on standard
# output and on standard error and end with the same exit status.
set -uo pipefail

if [ "$#" -lt 2 ] || [ "$#" -gt 3 ]; then
  echo "usage: cli_scenarios.sh LINUX_CLI WINDOWS_CLI [SOURCE_DIR]" >&2
  exit 2
fi
linux_cli=$1
windows_cli=$2
source_dir=${3:-$(cd "$(dirname "$0")/../.." && pwd)}
seed=20260101

for program in "$linux_cli" "$windows_cli"; do
  if [ ! -f "$program" ]; then
    echo "cli_scenarios: $program does not exist" >&2
    exit 2
  fi
done
if [ -z "${WINEPREFIX:-}" ]; then
  echo "cli_scenarios: no WINEPREFIX; run under tests/windows/with-wine" >&2
  exit 2
fi

work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT

mapfile -t scenarios < <(cd "$source_dir" &&
  find tests docs -name '*.qxs' -type f 2>/dev/null | LC_ALL=C sort)
if [ "${#scenarios[@]}" -eq 0 ]; then
  echo "cli_scenarios: no .qxs scenarios under $source_dir/tests or docs" >&2
  exit 1
fi

failed=0
for scenario in "${scenarios[@]}"; do
  file="$source_dir/$scenario"
  "$linux_cli" --seed "$seed" "$file" >"$work/linux.out" 2>"$work/linux.err"
  linux_status=$?
  wine "$windows_cli" --seed "$seed" "$file" >"$work/windows.out" \
    2>"$work/windows.err"
  windows_status=$?
  problems=()
  cmp -s "$work/linux.out" "$work/windows.out" ||
    problems+=("standard output differs")
  cmp -s "$work/linux.err" "$work/windows.err" ||
    problems+=("standard error differs")
  [ "$linux_status" -eq "$windows_status" ] ||
    problems+=("exit status $linux_status on Linux, $windows_status on Windows")
  if [ "${#problems[@]}" -eq 0 ]; then
    echo "same: $scenario ($(wc -l <"$work/linux.out") lines, status $linux_status)"
    continue
  fi
  failed=$((failed + 1))
  echo "DIFFERENT: $scenario: ${problems[*]}"
  diff -u --label linux "$work/linux.out" --label windows "$work/windows.out" |
    head -n 40
  diff -u --label linux.err "$work/linux.err" --label windows.err \
    "$work/windows.err" | head -n 20
done

echo "cli_scenarios: ${#scenarios[@]} scenarios, $failed different"
[ "$failed" -eq 0 ]
