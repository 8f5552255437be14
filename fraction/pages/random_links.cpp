// The random test links of both fraction pages: OnRandomTest1 and
// OnRandomTest2.
//
// Every draw is its own random_integer call, made in the order the values
// are written, so a fixed seed gives the same page every time.
#include "fraction/fraction.h"
#include "program/const_pool.h"
#include "program/control_ids.h"
#include "program/fraction_routines.h"
#include "program/tool_routines.h"
#include "runtime/sdk/sdk.h"

#include <cstdint>

namespace {

using namespace qx;
namespace konst = qx::image::konst;

// A first draw of 1..200 up to this one gives a mixed number, above it a
// fraction (75 : 125).
constexpr std::int32_t kLastMixedDraw = 75;
// For 约分到整数, a second draw of 1..200 from this one on gives a value that
// is a whole number.
constexpr std::int32_t kFirstWholeDraw = 75;

std::int32_t draw_small_number() { return sdk::random_integer(1, 20); }

const char *slash() { return sdk::const_text(konst::kSlash); }

// numerator "/" denominator.
sdk::Text fraction_text(const sdk::Text &numerator,
                        const sdk::Text &denominator) {
  return sdk::concat({numerator.c_str(), slash(), denominator.c_str()});
}

sdk::Text draw_fraction() {
  const sdk::Text numerator = sdk::to_text(draw_small_number());
  const sdk::Text denominator = sdk::to_text(draw_small_number());
  return fraction_text(numerator, denominator);
}

sdk::Text draw_mixed_number() {
  const sdk::Text whole = sdk::to_text(draw_small_number());
  const sdk::Text numerator = sdk::to_text(draw_small_number());
  const sdk::Text denominator = sdk::to_text(draw_small_number());
  return sdk::concat({whole.c_str(), sdk::const_text(konst::kAmpersand),
                      numerator.c_str(), slash(), denominator.c_str()});
}

sdk::Text draw_operand() {
  if (sdk::random_integer(1, 200) > kLastMixedDraw)
    return draw_fraction();
  return draw_mixed_number();
}

// p / 10, p / 100 or p / 1000 for p in 1..100.
sdk::Text draw_decimal(const sdk::IntArray &divisors) {
  const std::int32_t p = sdk::random_integer(1, 100);
  const std::int32_t i = sdk::random_integer(1, 3);
  return sdk::to_text(static_cast<double>(p) /
                      static_cast<double>(divisors.at(i)));
}

// (k × d) "/" d for k in 1..4: a fraction whose value is the whole number k.
sdk::Text draw_whole_fraction(std::int32_t d) {
  const std::int32_t k = sdk::random_integer(1, 4);
  const sdk::Text numerator =
      sdk::to_text(static_cast<double>(k) * static_cast<double>(d));
  const sdk::Text denominator = sdk::to_text(d);
  return fraction_text(numerator, denominator);
}

// The entry of 约分到整数: a fraction or a mixed number, and in half of its
// shapes one whose value is a whole number.
sdk::Text draw_reducible() {
  const std::int32_t r = sdk::random_integer(1, 200);
  const std::int32_t d = draw_small_number();
  const std::int32_t s = sdk::random_integer(1, 200);
  const bool fraction_shape = r > kLastMixedDraw;
  const bool whole_value = s >= kFirstWholeDraw;
  if (fraction_shape && !whole_value) {
    const sdk::Text numerator = sdk::to_text(draw_small_number());
    const sdk::Text denominator = sdk::to_text(d);
    return fraction_text(numerator, denominator);
  }
  if (fraction_shape)
    return draw_whole_fraction(d);
  if (!whole_value)
    return draw_mixed_number();
  // The whole number k written as a mixed number: k&0/1.
  const sdk::Text whole = draw_whole_fraction(d);
  return sdk::Text::copy_of(
      fraction::format_mixed(
          fraction::fraction_to_mixed(fraction::parse_fraction(whole.c_str())))
          .view());
}

void write(std::uint32_t box, const sdk::Text &text) {
  sdk::write_text(box, text.c_str());
}

} // namespace

QX_IMAGE_ROUTINE void OnRandomTest1(std::int32_t, std::int32_t, std::int32_t) {
  OnMixedToImproper(0, 0, 0);

  for (std::uint32_t box : {ctl::分子1, ctl::分母1, ctl::分子2, ctl::分母2})
    write(box, sdk::to_text(draw_small_number()));
  for (std::uint32_t box :
       {ctl::编辑框4, ctl::编辑框5, ctl::编辑框6, ctl::编辑框8})
    write(box, draw_operand());

  const char *empty = sdk::const_text(konst::kEmptyText);
  for (std::uint32_t box : {ctl::编辑框12, ctl::编辑框7, ctl::编辑框10,
                            ctl::编辑框11, ctl::分子3, ctl::分母3})
    sdk::write_text(box, empty);

  write(ctl::编辑框9, draw_operand());
  // The working OnMixedToImproper showed belonged to the texts replaced now.
  sdk::show_guide(ctl::超文本浏览框1);
}

QX_IMAGE_ROUTINE void OnRandomTest2(std::int32_t, std::int32_t, std::int32_t) {
  OnClearPage(0, 0, 0);
  const sdk::IntArray divisors =
      sdk::IntArray::copy_of_constant(konst::kDivisors);

  write(ctl::编辑框13, draw_decimal(divisors));
  write(ctl::编辑框15, draw_decimal(divisors));
  write(ctl::编辑框17, draw_fraction());
  write(ctl::编辑框18, draw_mixed_number());
  write(ctl::编辑框21, draw_operand());
  write(ctl::编辑框23, draw_reducible());
  write(ctl::编辑框25, draw_fraction());
  write(ctl::编辑框26, draw_mixed_number());
}
