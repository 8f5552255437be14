// Page 分数运算2: the eight conversion buttons, each followed by its working
// in the hypertext view. Every entry is read once; the working is built
// from the same values the result box shows.
#include "fraction/fraction.h"
#include "fraction/pages/conversions.h"
#include "fraction/working/working.h"
#include "program/control_ids.h"
#include "program/fraction_routines.h"
#include "runtime/sdk/sdk.h"

#include <cstdint>

namespace {

using namespace qx;
using fraction::Fraction;
namespace working = fraction::working;

// A text the runtime made, or one of the module's texts held by value.
template <typename Text> void write(std::uint32_t box, const Text &text) {
  sdk::write_text(box, text.c_str());
}

void show(const doc::Document &document) {
  sdk::show_working(ctl::超文本浏览框1, document);
}

} // namespace

QX_IMAGE_ROUTINE void OnDecimalToFraction() {
  const sdk::Text entry = sdk::read_text(ctl::编辑框13);
  const fraction_pages::DecimalEntry d =
      fraction_pages::read_decimal_entry(entry.c_str());
  write(ctl::编辑框14, fraction::format_fraction(d.value));
  show(working::decimal_to_fraction_working(d.number.view(), d.value));
}

QX_IMAGE_ROUTINE void OnDecimalToMixed() {
  const sdk::Text entry = sdk::read_text(ctl::编辑框15);
  const fraction_pages::DecimalEntry d =
      fraction_pages::read_decimal_entry(entry.c_str());
  write(ctl::编辑框16,
        fraction::format_mixed(fraction::fraction_to_mixed(d.value)));
  show(working::decimal_to_mixed_working(d.number.view(), d.value));
}

QX_IMAGE_ROUTINE void OnFractionToDecimal() {
  const fraction_pages::OperandEntry o =
      fraction_pages::read_operand_entry(ctl::编辑框17);
  const sdk::Text result = fraction_pages::fraction_to_decimal_text(o.value);
  write(ctl::编辑框19, result);
  show(working::fraction_to_decimal_working(o.entry.c_str(), o.value,
                                            result.view()));
}

QX_IMAGE_ROUTINE void OnMixedToDecimal() {
  const sdk::Text entry = sdk::read_text(ctl::编辑框18);
  const sdk::Text result = fraction_pages::mixed_to_decimal_text(entry.c_str());
  write(ctl::编辑框20, result);
  show(working::mixed_to_decimal_working(entry.c_str(), result.view()));
}

QX_IMAGE_ROUTINE void OnSquareFraction() {
  const fraction_pages::OperandEntry o =
      fraction_pages::read_operand_entry(ctl::编辑框21);
  write(ctl::编辑框22, fraction_pages::square_fraction_text(o.value));
  show(working::square_working(o.entry.c_str(), o.value));
}

QX_IMAGE_ROUTINE void OnReduceToInteger() {
  const fraction_pages::OperandEntry o =
      fraction_pages::read_operand_entry(ctl::编辑框23);
  write(ctl::编辑框24, fraction_pages::reduce_to_integer_text(o.value));
  show(working::nearest_integer_working(o.entry.c_str(), o.value));
}

QX_IMAGE_ROUTINE void OnFractionToMixed() {
  const fraction_pages::OperandEntry o =
      fraction_pages::read_operand_entry(ctl::编辑框25);
  write(ctl::编辑框27, fraction_pages::fraction_to_mixed_text(o.value));
  show(working::fraction_to_mixed_working(o.entry.c_str(), o.value));
}

QX_IMAGE_ROUTINE void OnMixedToFraction() {
  const sdk::Text entry = sdk::read_text(ctl::编辑框26);
  write(ctl::编辑框28, fraction_pages::mixed_to_fraction_text(entry.c_str()));
  show(working::mixed_to_fraction_working(entry.c_str()));
}
