// The quadratic equation page: OnSolveQuadratic.
#include "program/const_pool.h"
#include "program/control_ids.h"
#include "program/solver_routines.h"
#include "runtime/sdk/sdk.h"
#include "solvers/coefficient_boxes.h"
#include "solvers/equations.h"

#include <array>

namespace {

using namespace qx;
namespace konst = qx::image::konst;

constexpr std::array<std::uint32_t, 3> kCoefficientBoxes = {
    ctl::二次项系数, ctl::一次项系数, ctl::常数项};

void write_number(std::uint32_t box, double value) {
  const sdk::Text text = sdk::to_text(value);
  sdk::write_text(box, text.c_str());
}

} // namespace

QX_IMAGE_ROUTINE void OnSolveQuadratic() {
  if (!solvers::boxes_filled(kCoefficientBoxes)) {
    solvers::show_message(konst::kQuadraticIncomplete);
    return;
  }
  std::array<std::int32_t, 3> k{};
  if (!solvers::read_coefficients(kCoefficientBoxes, k)) {
    solvers::show_message(konst::kCoefficientOutOfRange);
    return;
  }
  const auto [a, b, c] = k;
  if (a == 0) {
    solvers::show_message(konst::kQuadraticZeroCoefficient);
    return;
  }

  const base::Int128 d = solvers::quadratic_discriminant(a, b, c);
  if (d < 0) {
    const char *verdict = sdk::const_text(konst::kNoRealRoots);
    sdk::write_text(ctl::x1, verdict);
    sdk::write_text(ctl::x2, verdict);
    return;
  }
  const solvers::QuadraticRoots roots = solvers::quadratic_roots(
      a, b, c, sdk::square_root(base::nearest_double(d)),
      sdk::const_double(konst::kTwo));
  write_number(ctl::x1, roots.x1);
  write_number(ctl::x2, roots.x2);
}
