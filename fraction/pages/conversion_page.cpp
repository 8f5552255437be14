// Page 分数运算2: the eight conversion buttons.
#include "fraction/pages/conversions.h"
#include "program/control_ids.h"
#include "program/fraction_routines.h"
#include "runtime/sdk/sdk.h"

#include <cstdint>

namespace {

using namespace qx;
using Conversion = sdk::Text (*)(const char *);

// Reads the entry box, converts its text and writes the result box.
void convert(std::uint32_t entry_box, Conversion conversion,
             std::uint32_t result_box) {
  const sdk::Text entry = sdk::read_text(entry_box);
  const sdk::Text result = conversion(entry.c_str());
  sdk::write_text(result_box, result.c_str());
}

} // namespace

QX_IMAGE_ROUTINE void OnDecimalToFraction() {
  convert(ctl::编辑框13, fraction_pages::decimal_to_fraction_text,
          ctl::编辑框14);
}

QX_IMAGE_ROUTINE void OnDecimalToMixed() {
  convert(ctl::编辑框15, fraction_pages::decimal_to_mixed_text, ctl::编辑框16);
}

QX_IMAGE_ROUTINE void OnFractionToDecimal() {
  convert(ctl::编辑框17, fraction_pages::fraction_to_decimal_text,
          ctl::编辑框19);
}

QX_IMAGE_ROUTINE void OnMixedToDecimal() {
  convert(ctl::编辑框18, fraction_pages::mixed_to_decimal_text, ctl::编辑框20);
}

QX_IMAGE_ROUTINE void OnSquareFraction() {
  convert(ctl::编辑框21, fraction_pages::square_fraction_text, ctl::编辑框22);
}

QX_IMAGE_ROUTINE void OnReduceToInteger() {
  convert(ctl::编辑框23, fraction_pages::reduce_to_integer_text, ctl::编辑框24);
}

QX_IMAGE_ROUTINE void OnFractionToMixed() {
  convert(ctl::编辑框25, fraction_pages::fraction_to_mixed_text, ctl::编辑框27);
}

QX_IMAGE_ROUTINE void OnMixedToFraction() {
  convert(ctl::编辑框26, fraction_pages::mixed_to_fraction_text, ctl::编辑框28);
}
