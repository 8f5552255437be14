# Checks shared by the installed-tree and package tests (sourced by bash).
# shellcheck shell=bash

fail() {
  echo "install: FAILED: $*" >&2
  exit 1
}

pass() { echo "install: $*"; }

# The layout of an installed tree at $1, with its documents under $1/$2.
check_layout() {
  local tree=$1 doc_dir=$2 file
  for file in quadrix quadrix-cli systemroot/system32/calc.exe \
    systemroot/system32/notepad.exe; do
    if [ ! -f "$tree/lib/quadrix/$file" ] || [ ! -x "$tree/lib/quadrix/$file" ]; then
      fail "lib/quadrix/$file is missing or not executable"
    fi
  done
  for file in basert.rtp WebPane.rtp ad1.htm; do
    [ -s "$tree/lib/quadrix/$file" ] || fail "lib/quadrix/$file is missing"
  done
  for file in quadrix quadrix-cli; do
    [ -L "$tree/bin/$file" ] || fail "bin/$file is not a link"
    [ "$(readlink "$tree/bin/$file")" = "../lib/quadrix/$file" ] ||
      fail "bin/$file links to $(readlink "$tree/bin/$file")"
  done
  pass "programs, runtime and links in place"

  local desktop=$tree/share/applications/quadrix.desktop
  [ -f "$desktop" ] || fail "share/applications/quadrix.desktop is missing"
  local line
  for line in 'Type=Application' 'Exec=quadrix' 'Icon=quadrix' \
    'Name=Quadrix Equation and Fraction Calculator' \
    'Name[zh_CN]=二元/一元方程与分数计算器'; do
    grep -qxF "$line" "$desktop" || fail "the desktop entry lacks '$line'"
  done
  if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
  fi
  pass "desktop entry in place"

  # A PNG file whose header chunk gives 48 x 48 pixels.
  local icon=$tree/share/icons/hicolor/48x48/apps/quadrix.png
  [ -f "$icon" ] || fail "the 48 x 48 icon is missing"
  [ "$(od -An -tx1 -N8 "$icon" | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "the icon is not a PNG file"
  [ "$(od -An -tx1 -j12 -N12 "$icon" | tr -d ' \n')" = 494844520000003000000030 ] ||
    fail "the icon is not 48 x 48 pixels"
  pass "48 x 48 icon in place"

  [ -s "$tree/$doc_dir/README.md" ] || fail "$doc_dir/README.md is missing"
}

# quadrix-cli at $1 runs a script of user actions on three pages.
check_cli() {
  local cli=$1 output
  output=$("$cli" <<'EOF'
type 编辑框1 2
type 编辑框2 -4
click 求解
print 编辑框3
page 一元二次方程
type 二次项系数 1
type 一次项系数 -3
type 常数项 2
click 求根
print x1
print x2
page 分数运算1
type 编辑框4 1/2
type 编辑框5 1/3
click 计算2
print 编辑框12
EOF
  )
  local status=$?
  [ "$status" -eq 0 ] || fail "$cli ended with status $status"
  [ "$output" = "$(printf '2\n2\n1\n5/6')" ] ||
    fail "$cli printed '$output', expected 2, 2, 1 and 5/6"
  pass "$cli solves and calculates"
}
