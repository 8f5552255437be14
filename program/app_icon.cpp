// Draws the program's icon and packs it as a Windows icon file image.
#include "program/app_icon.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <span>

namespace qx::window {
namespace {

struct Point {
  double x;
  double y;
};

// The design lives in the unit square, y downwards.
constexpr double kMargin = 1.0 / 32;
constexpr double kCornerRadius = 0.2;

// The letter "x": two strokes crossing.
constexpr double kLetterStroke = 0.058;
constexpr std::array<std::array<Point, 2>, 2> kLetterX = {{
    {{{0.19, 0.40}, {0.53, 0.82}}},
    {{{0.53, 0.40}, {0.19, 0.82}}},
}};

// The exponent "2": one polyline from the top of the bowl to the foot.
constexpr double kExponentStroke = 0.042;
constexpr std::array<Point, 8> kExponentTwo = {{
    {0.610, 0.250},
    {0.655, 0.195},
    {0.720, 0.178},
    {0.785, 0.205},
    {0.800, 0.265},
    {0.770, 0.330},
    {0.610, 0.470},
    {0.825, 0.470},
}};

struct Rgb {
  int r;
  int g;
  int b;
};

constexpr Rgb kTopBlue = {0x3A, 0x7B, 0xE0};
constexpr Rgb kBottomBlue = {0x1C, 0x4F, 0xB0};
constexpr Rgb kGlyphWhite = {0xFF, 0xFF, 0xFF};

// Samples per pixel along each axis.
constexpr int kSamples = 4;

bool is_inside_rounded_square(Point p) {
  const double low = kMargin + kCornerRadius;
  const double high = 1.0 - kMargin - kCornerRadius;
  const double dx = std::max({low - p.x, 0.0, p.x - high});
  const double dy = std::max({low - p.y, 0.0, p.y - high});
  if (p.x < kMargin || p.x > 1.0 - kMargin || p.y < kMargin ||
      p.y > 1.0 - kMargin)
    return false;
  return dx * dx + dy * dy <= kCornerRadius * kCornerRadius;
}

bool is_near_segment(Point p, Point a, Point b, double radius) {
  const double vx = b.x - a.x;
  const double vy = b.y - a.y;
  const double length_squared = vx * vx + vy * vy;
  double t = ((p.x - a.x) * vx + (p.y - a.y) * vy) / length_squared;
  t = std::clamp(t, 0.0, 1.0);
  const double dx = p.x - (a.x + t * vx);
  const double dy = p.y - (a.y + t * vy);
  return dx * dx + dy * dy <= radius * radius;
}

bool is_near_polyline(Point p, std::span<const Point> points, double radius) {
  for (std::size_t i = 1; i < points.size(); ++i) {
    if (is_near_segment(p, points[i - 1], points[i], radius))
      return true;
  }
  return false;
}

bool is_on_glyph(Point p) {
  for (const auto &stroke : kLetterX) {
    if (is_near_segment(p, stroke[0], stroke[1], kLetterStroke))
      return true;
  }
  return is_near_polyline(p, kExponentTwo, kExponentStroke);
}

Rgb background_at(double y) {
  const auto mix = [y](int top, int bottom) {
    return static_cast<int>(std::lround(top + (bottom - top) * y));
  };
  return {mix(kTopBlue.r, kBottomBlue.r), mix(kTopBlue.g, kBottomBlue.g),
          mix(kTopBlue.b, kBottomBlue.b)};
}

void append_u16(std::vector<std::uint8_t> &out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void append_u32(std::vector<std::uint8_t> &out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

} // namespace

std::vector<std::uint8_t> render_app_icon(int size) {
  assert(size >= 1 && size <= 256);
  const auto side = static_cast<std::size_t>(size);
  std::vector<std::uint8_t> pixels(side * side * 4, 0);
  for (int row = 0; row < size; ++row) {
    for (int column = 0; column < size; ++column) {
      int covered = 0;
      Rgb sum = {0, 0, 0};
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Point p = {(column + (sx + 0.5) / kSamples) / size,
                           (row + (sy + 0.5) / kSamples) / size};
          if (!is_inside_rounded_square(p))
            continue;
          const Rgb colour = is_on_glyph(p) ? kGlyphWhite : background_at(p.y);
          sum.r += colour.r;
          sum.g += colour.g;
          sum.b += colour.b;
          ++covered;
        }
      }
      if (covered == 0)
        continue;
      const std::size_t at = (static_cast<std::size_t>(row) * side +
                              static_cast<std::size_t>(column)) *
                             4;
      const auto average = [covered](int total) {
        return static_cast<std::uint8_t>((total + covered / 2) / covered);
      };
      constexpr int kAllSamples = kSamples * kSamples;
      pixels[at] = average(sum.r);
      pixels[at + 1] = average(sum.g);
      pixels[at + 2] = average(sum.b);
      pixels[at + 3] = static_cast<std::uint8_t>(
          (covered * 255 + kAllSamples / 2) / kAllSamples);
    }
  }
  return pixels;
}

std::vector<std::uint8_t> app_icon_file() {
  constexpr int kSide = 32;
  constexpr std::uint32_t kHeaderSize = 6 + 16;
  constexpr std::uint32_t kInfoSize = 40;
  constexpr std::uint32_t kPixelBytes = kSide * kSide * 3;
  constexpr std::uint32_t kMaskBytes = kSide * kSide / 8;
  constexpr std::uint32_t kImageSize = kInfoSize + kPixelBytes + kMaskBytes;
  static_assert(kHeaderSize + kImageSize == kAppIconFileSize);

  const std::vector<std::uint8_t> rgba = render_app_icon(kSide);
  const auto is_opaque = [&rgba](int row, int column) {
    return rgba[static_cast<std::size_t>(row * kSide + column) * 4 + 3] >= 128;
  };

  std::vector<std::uint8_t> out;
  out.reserve(kAppIconFileSize);
  // Icon directory: reserved, type 1 (icon), one image.
  append_u16(out, 0);
  append_u16(out, 1);
  append_u16(out, 1);
  // Directory entry: 32 x 32, no palette, 1 plane, 24 bits per pixel.
  out.push_back(kSide);
  out.push_back(kSide);
  out.push_back(0);
  out.push_back(0);
  append_u16(out, 1);
  append_u16(out, 24);
  append_u32(out, kImageSize);
  append_u32(out, kHeaderSize);
  // BITMAPINFOHEADER; the height counts the colour rows and the mask rows.
  append_u32(out, kInfoSize);
  append_u32(out, kSide);
  append_u32(out, kSide * 2);
  append_u16(out, 1);
  append_u16(out, 24);
  append_u32(out, 0); // no compression
  append_u32(out, kPixelBytes + kMaskBytes);
  append_u32(out, 0);
  append_u32(out, 0);
  append_u32(out, 0);
  append_u32(out, 0);
  // Colour rows bottom-up, blue-green-red; transparent pixels black.
  for (int row = kSide - 1; row >= 0; --row) {
    for (int column = 0; column < kSide; ++column) {
      const std::size_t at = static_cast<std::size_t>(row * kSide + column) * 4;
      const bool opaque = is_opaque(row, column);
      out.push_back(opaque ? rgba[at + 2] : 0);
      out.push_back(opaque ? rgba[at + 1] : 0);
      out.push_back(opaque ? rgba[at] : 0);
    }
  }
  // AND mask rows bottom-up, most significant bit first; 1 is transparent.
  for (int row = kSide - 1; row >= 0; --row) {
    for (int byte = 0; byte < kSide / 8; ++byte) {
      std::uint8_t bits = 0;
      for (int bit = 0; bit < 8; ++bit) {
        if (!is_opaque(row, byte * 8 + bit))
          bits |= static_cast<std::uint8_t>(0x80 >> bit);
      }
      out.push_back(bits);
    }
  }
  assert(out.size() == kAppIconFileSize);
  return out;
}

std::vector<std::uint8_t> app_icon_file_rgba(int size) {
  assert(size >= 1 && size <= 256);
  const auto side = static_cast<std::uint32_t>(size);
  constexpr std::uint32_t kHeaderSize = 6 + 16;
  constexpr std::uint32_t kInfoSize = 40;
  const std::uint32_t pixel_bytes = side * side * 4;
  // Mask rows are padded to whole 32-bit words.
  const std::uint32_t mask_stride = (side + 31) / 32 * 4;
  const std::uint32_t mask_bytes = mask_stride * side;
  const std::uint32_t image_size = kInfoSize + pixel_bytes + mask_bytes;
  const std::vector<std::uint8_t> rgba = render_app_icon(size);

  std::vector<std::uint8_t> out;
  out.reserve(kHeaderSize + image_size);
  append_u16(out, 0);
  append_u16(out, 1);
  append_u16(out, 1);
  // A side of 256 is written as 0.
  out.push_back(static_cast<std::uint8_t>(side & 0xFF));
  out.push_back(static_cast<std::uint8_t>(side & 0xFF));
  out.push_back(0);
  out.push_back(0);
  append_u16(out, 1);
  append_u16(out, 32);
  append_u32(out, image_size);
  append_u32(out, kHeaderSize);
  append_u32(out, kInfoSize);
  append_u32(out, side);
  append_u32(out, side * 2);
  append_u16(out, 1);
  append_u16(out, 32);
  append_u32(out, 0);
  append_u32(out, pixel_bytes + mask_bytes);
  append_u32(out, 0);
  append_u32(out, 0);
  append_u32(out, 0);
  append_u32(out, 0);
  // Blue-green-red-alpha rows bottom-up; the alpha channel carries the
  // anti-aliased edge.
  for (std::uint32_t row = side; row-- > 0;) {
    for (std::uint32_t column = 0; column < side; ++column) {
      const std::size_t at = (std::size_t{row} * side + column) * 4;
      out.push_back(rgba[at + 2]);
      out.push_back(rgba[at + 1]);
      out.push_back(rgba[at]);
      out.push_back(rgba[at + 3]);
    }
  }
  // The mask for systems that ignore alpha: 1 where fully transparent.
  for (std::uint32_t row = side; row-- > 0;) {
    std::vector<std::uint8_t> bits(mask_stride, 0);
    for (std::uint32_t column = 0; column < side; ++column) {
      if (rgba[(std::size_t{row} * side + column) * 4 + 3] == 0)
        bits[column / 8] |= static_cast<std::uint8_t>(0x80 >> (column % 8));
    }
    out.insert(out.end(), bits.begin(), bits.end());
  }
  assert(out.size() == kHeaderSize + image_size);
  return out;
}

} // namespace qx::window
