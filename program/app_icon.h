// The program's icon, drawn by code: a blue rounded square with a white "x²".
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qx::window {

// Size in bytes of the icon file that the window record carries: header,
// one directory entry, BITMAPINFOHEADER, 32 x 32 BGR pixels and AND mask.
inline constexpr std::size_t kAppIconFileSize = 3262;

// The design rendered at `size` x `size` pixels (1 to 256) as RGBA bytes,
// rows top to bottom, straight (not premultiplied) alpha. Edges are
// anti-aliased through alpha. Deterministic: the same bytes on every call.
std::vector<std::uint8_t> render_app_icon(int size);

// The window icon: a Windows icon file image with one 32 x 32 image at 24
// bits per pixel, kAppIconFileSize bytes. Pixels at least half covered by
// the design are opaque; the AND mask makes the rest transparent.
std::vector<std::uint8_t> app_icon_file();

// The program file's icon: a Windows icon file with one `size` x `size`
// image (1 to 256) at 32 bits per pixel with alpha, and an AND mask that
// is set where the design leaves a pixel fully transparent.
std::vector<std::uint8_t> app_icon_file_rgba(int size);

} // namespace qx::window
