// The quadratic equation page: OnSolveQuadratic.
#include "program/const_pool.h"
#include "program/control_ids.h"
#include "program/solver_routines.h"
#include "runtime/sdk/sdk.h"
#include "solvers/coefficient_boxes.h"
#include "solvers/equations.h"

#include <array>
#include <string>

namespace {

using namespace qx;
namespace konst = qx::image::konst;

constexpr std::array<std::uint32_t, 3> kCoefficientBoxes = {
    ctl::二次项系数, ctl::一次项系数, ctl::常数项};

// Writes the number into the box and returns the text written.
std::string write_number(std::uint32_t box, double value) {
  const sdk::Text text = sdk::to_text(value);
  sdk::write_text(box, text.c_str());
  return std::string(text.view());
}

} // namespace

QX_IMAGE_ROUTINE void OnSolveQuadratic() {
  if (!solvers::boxes_filled(kCoefficientBoxes)) {
    solvers::show_message(konst::kQuadraticIncomplete);
    return;
  }
  std::array<solvers::Coefficient, 3> k{};
  if (!solvers::read_coefficients(kCoefficientBoxes, k)) {
    solvers::show_message(konst::kCoefficientOutOfRange);
    return;
  }
  const solvers::QuadraticCoefficients coefficients{k[0], k[1], k[2]};
  const std::int32_t a = k[0].value;
  const std::int32_t b = k[1].value;
  const std::int32_t c = k[2].value;
  if (a == 0) {
    solvers::show_message(konst::kQuadraticZeroCoefficient);
    return;
  }

  const base::Int128 d = solvers::quadratic_discriminant(a, b, c);
  if (d < 0) {
    const char *verdict = sdk::const_text(konst::kNoRealRoots);
    sdk::write_text(ctl::x1, verdict);
    sdk::write_text(ctl::x2, verdict);
    solvers::show_working(solvers::quadratic_working(coefficients, "", ""));
    return;
  }
  const solvers::QuadraticRoots roots = solvers::quadratic_roots(
      a, b, c, sdk::square_root(base::nearest_double(d)),
      sdk::const_double(konst::kTwo));
  const std::string x1 = write_number(ctl::x1, roots.x1);
  const std::string x2 = write_number(ctl::x2, roots.x2);
  solvers::show_working(solvers::quadratic_working(coefficients, x1, x2));
}
