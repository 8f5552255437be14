// The linear equation page: OnSolveLinear.
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

constexpr std::array<std::uint32_t, 2> kCoefficientBoxes = {ctl::编辑框1,
                                                            ctl::编辑框2};

} // namespace

QX_IMAGE_ROUTINE void OnSolveLinear() {
  if (!solvers::boxes_filled(kCoefficientBoxes)) {
    solvers::show_message(konst::kLinearIncomplete);
    return;
  }
  std::array<solvers::Coefficient, 2> k{};
  if (!solvers::read_coefficients(kCoefficientBoxes, k)) {
    solvers::show_message(konst::kCoefficientOutOfRange);
    return;
  }
  const auto &[a, b] = k;
  if (a.value == 0) {
    solvers::show_message(konst::kLinearZeroCoefficient);
    return;
  }
  const sdk::Text x = sdk::to_text(solvers::linear_solution(a.value, b.value));
  sdk::write_text(ctl::编辑框3, x.c_str());
  solvers::show_working(solvers::linear_working(a, b, x.view()));
}
