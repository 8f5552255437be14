// libFuzzer target: the fraction text readers (parse_fraction, parse_mixed,
// text_to_fraction, read_whole_number) and the runtime's text_to_number and
// to_integer on arbitrary bytes. Whatever they read must be a value the
// module can produce, must write back and read again as itself, and must
// leave no runtime block behind.
#include "fraction/fraction.h"
#include "program/const_layout.h"
#include "runtime/core/runtime.h"
#include "runtime/sdk/sdk.h"
#include "runtime/views/headless/headless_view.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using qx::fraction::Fraction;
using qx::fraction::MixedNumber;

// One runtime for the whole run, bound to the sdk.
struct Binding {
  std::vector<std::uint8_t> const_data = qx::image::write_const_data();
  std::unique_ptr<qx::rt::Runtime> runtime = std::make_unique<qx::rt::Runtime>(
      std::make_unique<qx::views::HeadlessView>());
  QxLinkBlock link{};

  Binding() {
    link.service_table =
        std::bit_cast<std::uintptr_t>(&runtime->service_table());
    link.const_data = std::bit_cast<std::uintptr_t>(const_data.data());
    link.const_size = static_cast<std::uint32_t>(const_data.size());
    if (!qx::sdk::bind(&link))
      std::abort();
  }
};

void check(bool condition) {
  if (!condition)
    std::abort();
}

bool in_range(std::int64_t value) {
  return value >= -qx::fraction::kFieldLimit &&
         value <= qx::fraction::kFieldLimit;
}

// A valid fraction read from text is in lowest terms with a canonical sign.
void check_fraction(Fraction f) {
  check(in_range(f.numerator) && in_range(f.denominator));
  if (!qx::fraction::is_valid(f))
    return;
  check(f.numerator == 0 || f.denominator > 0);
  check(qx::fraction::gcd(std::abs(f.numerator), std::abs(f.denominator)) ==
        (f.numerator == 0 ? std::abs(f.denominator) : 1));
  const qx::fraction::ShortText text = qx::fraction::format_fraction(f);
  check(qx::fraction::parse_fraction(text.c_str()) == f);
}

void check_mixed(MixedNumber m) {
  if (!qx::fraction::is_valid(m)) {
    check(m == qx::fraction::kInvalidMixed);
    return;
  }
  check(in_range(m.whole) && in_range(m.numerator) && in_range(m.denominator));
  check(std::abs(m.numerator) < std::abs(m.denominator) ||
        std::abs(m.denominator) == 1);
  check(qx::fraction::reduce_mixed(m) == m);
  Fraction improper = qx::fraction::mixed_to_fraction(m);
  if (qx::fraction::is_valid(improper))
    check(qx::fraction::fraction_to_mixed(improper) == m);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  static Binding binding;
  // The runtime sees a text up to its first zero byte.
  const std::string text(reinterpret_cast<const char *>(data), size);

  check_fraction(qx::fraction::parse_fraction(text.c_str()));
  check_mixed(qx::fraction::parse_mixed(text.c_str()));
  check_fraction(qx::fraction::text_to_fraction(text.c_str()));

  std::int32_t integer = qx::sdk::to_integer(text.c_str());
  if (std::optional<std::int32_t> whole =
          qx::fraction::read_whole_number(text.c_str()))
    check(*whole == integer && in_range(*whole));

  double number = qx::sdk::text_to_number(text.c_str());
  Fraction decimal = qx::fraction::decimal_to_fraction(number);
  check(in_range(decimal.numerator) && in_range(decimal.denominator));
  if (qx::fraction::is_valid(decimal))
    check(std::fabs(qx::fraction::fraction_to_decimal(decimal) - number) <=
          std::fabs(number) * 1e-9 + 1e-9);

  check(binding.runtime->blocks().outstanding_blocks() == 0);
  return 0;
}
