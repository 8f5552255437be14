#!/bin/sh
# Builds the Windows installer and the portable zip from the cross-built
# programs:
#
#   packaging/windows/build-packages.sh BIN_DIR OUTPUT_DIR
#
# BIN_DIR holds quadrix.exe, quadrix-cli.exe, basert.rtp and WebPane.rtp
# (build-win32/bin), with the program's icon in ../launcher/quadrix.ico;
# OUTPUT_DIR receives quadrix-<version>-setup.exe and
# quadrix-<version>-portable.zip (build-win32). The version is the
# project's, the Start-menu entry's name the desktop entry's Name.
set -eu

[ $# -eq 2 ] || {
  echo "usage: $0 BIN_DIR OUTPUT_DIR" >&2
  exit 2
}
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
bin_dir=$(cd "$1" && pwd)
mkdir -p "$2"
output_dir=$(cd "$2" && pwd)

for tool in makensis zip; do
  command -v "$tool" >/dev/null 2>&1 || {
    echo "$tool is missing: run scripts/install-deps --windows" >&2
    exit 1
  }
done

version=$(sed -n 's/^project(Quadrix VERSION \([0-9.]*\).*/\1/p' \
  "$source_dir/CMakeLists.txt")
case $version in
[0-9]*.[0-9]*.[0-9]*.[0-9]*) ;;
*)
  echo "no four-part version in the project() line of CMakeLists.txt" >&2
  exit 1
  ;;
esac
name=$(sed -n 's/^Name=//p' "$source_dir/packaging/quadrix.desktop" | head -n 1)
[ -n "$name" ] || {
  echo "packaging/quadrix.desktop has no Name" >&2
  exit 1
}
# The Start-menu entry is a file of that name.
case $name in
*[\\/:*?\"\<\>\|]*)
  echo "the Name \"$name\" cannot name a Start-menu entry (a file)" >&2
  exit 1
  ;;
esac
# The pages the hypertext view shows, as its own directory lists them.
pages=$(sed -n 's/^set(qx_webpane_pages \(.*\))$/\1/p' \
  "$source_dir/runtime/webpane/CMakeLists.txt")
[ -n "$pages" ] || {
  echo "runtime/webpane/CMakeLists.txt lists no pages" >&2
  exit 1
}

for file in quadrix.exe quadrix-cli.exe basert.rtp WebPane.rtp; do
  [ -f "$bin_dir/$file" ] || {
    echo "no $file in $bin_dir: run make windows" >&2
    exit 1
  }
done
icon="$bin_dir/../launcher/quadrix.ico"
[ -f "$icon" ] || {
  echo "no program icon $icon: run make windows" >&2
  exit 1
}
for page in $pages; do
  [ -f "$source_dir/runtime/webpane/$page" ] || {
    echo "no page runtime/webpane/$page" >&2
    exit 1
  }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quadrix-packages.XXXXXX")
trap '[ -n "${QX_KEEP:-}" ] || rm -rf "$work"' EXIT

# The packages carry the programs without their debugging information; the
# exports, which the runtime looks the program's routines up by, stay.
strip=${QX_WIN_STRIP:-i686-w64-mingw32-strip}
command -v "$strip" >/dev/null 2>&1 || {
  echo "$strip is missing: run scripts/install-deps --windows" >&2
  exit 1
}
mkdir -p "$work/bin"
for file in quadrix.exe quadrix-cli.exe basert.rtp WebPane.rtp; do
  "$strip" --strip-debug -o "$work/bin/$file" "$bin_dir/$file"
done
bin_dir="$work/bin"

# ---- The installer ----------------------------------------------------------
# printf, not echo: a backslash before a page's name is no escape.
{
  echo '!macro QX_INSTALL_PAGES directory'
  echo '  SetOutPath "${directory}"'
  for page in $pages; do
    printf '  File "%s"\n' "$source_dir/runtime/webpane/$page"
  done
  echo '!macroend'
  echo '!macro QX_DELETE_PAGES directory'
  for page in $pages; do
    printf '  Delete "${directory}\\%s"\n' "$page"
  done
  echo '!macroend'
} >"$work/pages.nsh"

setup="$output_dir/quadrix-$version-setup.exe"
rm -f "$setup"
makensis -V2 -NOCD \
  "-DQX_BIN_DIR=$bin_dir" \
  "-DQX_NAME=$name" \
  "-DQX_VERSION=$version" \
  "-DQX_OUT_FILE=$setup" \
  "-DQX_PAGES_NSH=$work/pages.nsh" \
  "-DQX_README=$source_dir/README.md" \
  "-DQX_ICON=$icon" \
  "$here/quadrix.nsi"
echo "installer: $setup"

# ---- The portable zip: the runtime beside the program -----------------------
top="quadrix-$version"
mkdir -p "$work/zip/$top"
cp "$bin_dir/quadrix.exe" "$bin_dir/quadrix-cli.exe" "$bin_dir/basert.rtp" \
  "$bin_dir/WebPane.rtp" "$work/zip/$top/"
for page in $pages; do
  cp "$source_dir/runtime/webpane/$page" "$work/zip/$top/"
done
cp "$source_dir/README.md" "$work/zip/$top/README.md"
portable="$output_dir/quadrix-$version-portable.zip"
rm -f "$portable"
# Stored times and attributes say nothing a Windows user needs.
(cd "$work/zip" && zip -q -X -r "$portable" "$top")
echo "portable zip: $portable"
