// The clear link: OnClearPage empties the edit boxes of the page on show.
#include "image/const_pool.h"
#include "runtime/sdk/sdk.h"
#include "solvers/handlers.h"
#include "window/control_ids.h"

#include <array>
#include <span>

namespace {

using namespace qx;

// A page is recognised by whether its sentinel box reads as visible; its
// boxes are emptied in the listed order.
struct PageBoxes {
  std::uint32_t sentinel;
  std::span<const std::uint32_t> boxes;
};

constexpr std::array<std::uint32_t, 3> kLinearBoxes = {
    ctl::编辑框1, ctl::编辑框2, ctl::编辑框3};
constexpr std::array<std::uint32_t, 8> kSystemBoxes = {
    ctl::xya1, ctl::xya2, ctl::xyb1, ctl::xyb2,
    ctl::xyc1, ctl::xyc2, ctl::xyx,  ctl::xyy};
constexpr std::array<std::uint32_t, 5> kQuadraticBoxes = {
    ctl::二次项系数, ctl::一次项系数, ctl::常数项, ctl::x1, ctl::x2};
constexpr std::array<std::uint32_t, 15> kFractionBoxes1 = {
    ctl::分子1,   ctl::分母1,   ctl::分子2,    ctl::分母2,    ctl::分子3,
    ctl::分母3,   ctl::编辑框4, ctl::编辑框5,  ctl::编辑框6,  ctl::编辑框7,
    ctl::编辑框8, ctl::编辑框9, ctl::编辑框10, ctl::编辑框11, ctl::编辑框12};
constexpr std::array<std::uint32_t, 16> kFractionBoxes2 = {
    ctl::编辑框13, ctl::编辑框15, ctl::编辑框16, ctl::编辑框17,
    ctl::编辑框18, ctl::编辑框14, ctl::编辑框19, ctl::编辑框20,
    ctl::编辑框21, ctl::编辑框22, ctl::编辑框23, ctl::编辑框24,
    ctl::编辑框25, ctl::编辑框26, ctl::编辑框27, ctl::编辑框28};

// In tab order; the first page whose sentinel is visible is cleared.
constexpr std::array<PageBoxes, 5> kPages = {{
    {ctl::编辑框1, kLinearBoxes},
    {ctl::xya1, kSystemBoxes},
    {ctl::二次项系数, kQuadraticBoxes},
    {ctl::分子1, kFractionBoxes1},
    {ctl::编辑框13, kFractionBoxes2},
}};

} // namespace

QX_IMAGE_ROUTINE void OnClearPage(std::int32_t, std::int32_t, std::int32_t) {
  const char *empty = sdk::const_text(image::konst::kEmptyText);
  for (const PageBoxes &page : kPages) {
    if (!sdk::read_visible(page.sentinel))
      continue;
    for (std::uint32_t box : page.boxes)
      sdk::write_text(box, empty);
    return;
  }
}
