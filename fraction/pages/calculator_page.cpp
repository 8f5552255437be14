// Page 分数运算1: the two calculators, reduction with its conversion link,
// and the common denominator; each click shows its working in the hypertext
// view.
#include "base/qx_abi.h"
#include "fraction/fraction.h"
#include "fraction/pages/conversions.h"
#include "fraction/working/working.h"
#include "program/const_pool.h"
#include "program/control_ids.h"
#include "program/fraction_routines.h"
#include "runtime/sdk/sdk.h"

#include <cstdint>

namespace {

using namespace qx;
using fraction::Fraction;

// An operand of the stacked calculator, as typed: neither reduced nor
// sign-normalized. A box whose number lies outside the field range makes
// the operand invalid.
Fraction read_stacked_operand(std::uint32_t numerator_box,
                              std::uint32_t denominator_box) {
  const sdk::Text numerator_text = sdk::read_text(numerator_box);
  const sdk::Text denominator_text = sdk::read_text(denominator_box);
  const auto numerator = fraction::read_whole_number(numerator_text.c_str());
  const auto denominator =
      fraction::read_whole_number(denominator_text.c_str());
  if (!numerator || !denominator)
    return fraction::kInvalidFraction;
  return {*numerator, *denominator};
}

// The working of the calculation just written, in the hypertext view.
void show(const doc::Document &working) {
  sdk::show_working(ctl::超文本浏览框1, working);
}

// The operator code: the value of the combo box's selected item.
std::int32_t read_operator(std::uint32_t combo_box) {
  return sdk::get_item_value(combo_box, QX_UNIT_COMBO_BOX,
                             sdk::read_selection(combo_box));
}

void write_fraction(std::uint32_t box, Fraction f, bool reduce = true) {
  sdk::write_text(box, fraction::format_fraction(f, reduce).c_str());
}

void write_integer(std::uint32_t box, std::int32_t value) {
  const sdk::Text text = sdk::to_text(value);
  sdk::write_text(box, text.c_str());
}

bool contains_slash(const char *text) {
  return sdk::find_text(text, sdk::const_text(image::konst::kSlash)) > 0;
}

// The two link labels sharing one place: after a mixed reduction the
// conversion link shows, otherwise the random test link.
void offer_conversion_link() {
  sdk::write_visible(ctl::转换到假分数, true);
  sdk::write_visible(ctl::随机1, false);
  sdk::write_disabled(ctl::转换到假分数, false);
}

void restore_random_link() {
  sdk::write_visible(ctl::转换到假分数, false);
  sdk::write_visible(ctl::随机1, true);
  sdk::write_disabled(ctl::转换到假分数, true);
}

} // namespace

QX_IMAGE_ROUTINE void OnFractionCalc() {
  const Fraction a = read_stacked_operand(ctl::分子1, ctl::分母1);
  const Fraction b = read_stacked_operand(ctl::分子2, ctl::分母2);
  // An invalid result is written too ("0" over "0"), so that the boxes never
  // keep an earlier answer beside new operands.
  const std::int32_t op = read_operator(ctl::组合框1);
  const Fraction r = fraction::fraction_arith(a, op, b);
  write_integer(ctl::分子3, r.numerator);
  write_integer(ctl::分母3, r.denominator);
  show(fraction::working::stacked_arith_working(a, op, b));
}

QX_IMAGE_ROUTINE void OnFractionCalcText() {
  const fraction_pages::OperandEntry a =
      fraction_pages::read_operand_entry(ctl::编辑框4);
  const fraction_pages::OperandEntry b =
      fraction_pages::read_operand_entry(ctl::编辑框5);
  const std::int32_t op = read_operator(ctl::组合框2);
  write_fraction(ctl::编辑框12, fraction::fraction_arith(a.value, op, b.value));
  show(fraction::working::text_arith_working(a.entry.c_str(), a.value, op,
                                             b.entry.c_str(), b.value));
}

QX_IMAGE_ROUTINE void OnReduce() {
  const sdk::Text text = sdk::read_text(ctl::编辑框6);
  if (fraction::has_mixed_form(text.c_str())) {
    const Fraction improper = fraction::reduce_fraction(
        fraction::mixed_to_fraction(fraction::parse_mixed(text.c_str())));
    sdk::write_text(
        ctl::编辑框7,
        fraction::format_mixed(fraction::fraction_to_mixed(improper)).c_str());
    offer_conversion_link();
  } else if (!contains_slash(text.c_str())) {
    // Nothing to reduce: the box must not keep the previous answer.
    sdk::write_text(ctl::编辑框7, sdk::const_text(image::konst::kEmptyText));
  } else {
    write_fraction(ctl::编辑框7, fraction::reduce_fraction(
                                     fraction::parse_fraction(text.c_str())));
  }
  show(fraction::working::reduce_working(text.c_str()));
}

QX_IMAGE_ROUTINE void OnMixedToImproper(std::int32_t, std::int32_t,
                                        std::int32_t) {
  const sdk::Text text = sdk::read_text(ctl::编辑框6);
  write_fraction(ctl::编辑框7, fraction::mixed_to_fraction(
                                   fraction::parse_mixed(text.c_str())));
  restore_random_link();
  show(fraction::working::mixed_to_fraction_working(text.c_str()));
}

QX_IMAGE_ROUTINE void OnCommonDenominator() {
  const fraction_pages::OperandEntry a =
      fraction_pages::read_operand_entry(ctl::编辑框8);
  const fraction_pages::OperandEntry b =
      fraction_pages::read_operand_entry(ctl::编辑框9);
  const auto [first, second] = fraction::common_denominator(a.value, b.value);
  write_fraction(ctl::编辑框10, first, false);
  write_fraction(ctl::编辑框11, second, false);
  show(fraction::working::common_denominator_working(a.entry.c_str(), a.value,
                                                     b.entry.c_str(), b.value));
}
