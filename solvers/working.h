// The working of the three equation pages, written the way a Chinese
// middle-school textbook writes it, as a document for the hypertext view.
//
// The builders are pure: they work from the exact integer coefficients and
// take the texts that the page wrote into its result boxes, so that every
// number standing in a box appears in the working exactly as the box shows
// it. Each working ends with the link back to the guide.
#pragma once

#include "document/document.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qx::solvers {

// A coefficient as the page used it: the whole number the box's number was
// cut to, and, when the cut changed it, the number as the page writes
// numbers ("2.9"), for the note "2.9 按 2 计算".
struct Coefficient {
  std::int32_t value = 0;
  std::string cut_from;
};

// ax + b = 0 with a != 0; `x_box` is the text of the result box.
doc::Document linear_working(const Coefficient &a, const Coefficient &b,
                             std::string_view x_box);

// ax² + bx + c = 0 with a != 0. The boxes' texts are those of x1 (the root
// with the added square root) and x2; for a negative discriminant they are
// not used.
struct QuadraticCoefficients {
  Coefficient a;
  Coefficient b;
  Coefficient c;
};
doc::Document quadratic_working(const QuadraticCoefficients &k,
                                std::string_view x1_box,
                                std::string_view x2_box);

// a1 x + b1 y = c1, a2 x + b2 y = c2. The boxes' texts are used only for a
// unique solution.
struct SystemInput {
  Coefficient a1;
  Coefficient b1;
  Coefficient c1;
  Coefficient a2;
  Coefficient b2;
  Coefficient c2;
};
doc::Document system_working(const SystemInput &k, std::string_view x_box,
                             std::string_view y_box);

// The text of the last paragraph of every working.
inline constexpr std::string_view kReturnLinkText = "返回使用指南";

} // namespace qx::solvers
