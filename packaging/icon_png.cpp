// Writes the program icon as a PNG file for the desktop's icon theme, or as
// a Windows icon file (32 bits per pixel) when the name ends in ".ico".
#include "program/app_icon.h"

#include <QImage>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string_view>
#include <vector>

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quadrix-icon SIZE OUT.png|OUT.ico\n");
    return 2;
  }
  const char *size_text = argv[1];
  const char *size_end = size_text + std::strlen(size_text);
  int size = 0;
  const auto [end, error] = std::from_chars(size_text, size_end, size);
  if (error != std::errc() || end != size_end || size < 1 || size > 256) {
    std::fprintf(stderr,
                 "quadrix-icon: size %s is not a number from 1 to 256\n",
                 size_text);
    return 2;
  }
  const std::string_view out_name = argv[2];
  if (out_name.ends_with(".ico")) {
    const std::vector<std::uint8_t> icon = qx::window::app_icon_file_rgba(size);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char *>(icon.data()),
              static_cast<std::streamsize>(icon.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "quadrix-icon: cannot write %s\n", argv[2]);
      return 1;
    }
    return 0;
  }
  const std::vector<std::uint8_t> rgba = qx::window::render_app_icon(size);
  const QImage image(rgba.data(), size, size, size * 4,
                     QImage::Format_RGBA8888);
  if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "quadrix-icon: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
