#!/bin/bash
# Saves a picture of the Windows installer's first page, as Wine shows it,
# as docs/windows/installer.png (for the README):
#
#   packaging/windows/screenshot.sh [BUILD_DIR]     (default: build-win32)
#
# Needs make windows-installer first, and python3; runs inside
# tests/windows/with-wine.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
build=$(realpath "${1:-$source_dir/build-win32}")
version=$(sed -n 's/^project(Quadrix VERSION \([0-9.]*\).*/\1/p' \
  "$source_dir/CMakeLists.txt")
setup="$build/quadrix-$version-setup.exe"
probe="$build/tests/launcher/installer_probe.exe"
name=$(sed -n 's/^Name=//p' "$source_dir/packaging/quadrix.desktop" | head -n 1)
for file in "$setup" "$probe"; do
  [ -f "$file" ] || {
    echo "no $file: run make windows-installer" >&2
    exit 1
  }
done
if [ -z "${QUADRIX_WITH_WINE_DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  exec "$source_dir/tests/windows/with-wine" "$0" "$build"
fi

cp "$setup" "$WINEPREFIX/drive_c/setup.exe"
wine 'C:\setup.exe' >/dev/null 2>&1 &
installer=$!
status=0
wine "$probe" capture "$name" 'C:\installer.bmp' 60000 || status=1
wineserver -k
wait "$installer" || true
[ "$status" -eq 0 ] || exit 1

mkdir -p "$source_dir/docs/windows"
# The 32-bit bottom-up BMP the probe wrote, as an RGB PNG.
python3 - "$WINEPREFIX/drive_c/installer.bmp" \
  "$source_dir/docs/windows/installer.png" <<'PY'
import struct, sys, zlib

data = open(sys.argv[1], 'rb').read()
if len(data) < 54 or data[:2] != b'BM':
    sys.exit('not a BMP file')
offset = struct.unpack_from('<I', data, 10)[0]
width, height = struct.unpack_from('<ii', data, 18)
bits = struct.unpack_from('<H', data, 28)[0]
if bits != 32 or width <= 0 or height <= 0 or \
        offset + width * height * 4 > len(data):
    sys.exit('unexpected BMP layout')
rows = []
for y in range(height):
    start = offset + (height - 1 - y) * width * 4
    row = bytearray(b'\0')
    for x in range(width):
        blue, green, red = data[start + 4 * x:start + 4 * x + 3]
        row += bytes((red, green, blue))
    rows.append(bytes(row))


def chunk(kind, body):
    return (struct.pack('>I', len(body)) + kind + body +
            struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff))


png = (b'\x89PNG\r\n\x1a\n' +
       chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)) +
       chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b''))
open(sys.argv[2], 'wb').write(png)
print('screenshot: %s (%d x %d)' % (sys.argv[2], width, height))
PY
