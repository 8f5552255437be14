// The page of two linear equations: OnSolveSystem.
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

// The completeness check goes down the columns, the conversion along the
// rows.
constexpr std::array<std::uint32_t, 6> kCheckOrder = {
    ctl::xya1, ctl::xya2, ctl::xyb1, ctl::xyb2, ctl::xyc1, ctl::xyc2};
constexpr std::array<std::uint32_t, 6> kReadOrder = {
    ctl::xya1, ctl::xyb1, ctl::xya2, ctl::xyb2, ctl::xyc1, ctl::xyc2};

void write_verdict(std::uint32_t verdict) {
  const char *text = sdk::const_text(verdict);
  sdk::write_text(ctl::xyx, text);
  sdk::write_text(ctl::xyy, text);
}

void write_number(std::uint32_t box, double value) {
  const sdk::Text text = sdk::to_text(value);
  sdk::write_text(box, text.c_str());
}

} // namespace

QX_IMAGE_ROUTINE void OnSolveSystem() {
  if (!solvers::boxes_filled(kCheckOrder)) {
    solvers::show_message(konst::kSystemIncomplete);
    return;
  }
  std::array<std::int32_t, 6> k{};
  if (!solvers::read_coefficients(kReadOrder, k)) {
    solvers::show_message(konst::kCoefficientOutOfRange);
    return;
  }
  const solvers::SystemCoefficients coefficients{k[0], k[1], k[4],
                                                 k[2], k[3], k[5]};
  const solvers::SystemSolution solution = solvers::solve_system(coefficients);
  switch (solution.kind) {
  case solvers::SolutionKind::Infinite:
    write_verdict(konst::kInfiniteSolutions);
    return;
  case solvers::SolutionKind::None:
    write_verdict(konst::kNoSolution);
    return;
  case solvers::SolutionKind::Unique:
    write_number(ctl::xyx, solution.x);
    write_number(ctl::xyy, solution.y);
    return;
  }
}
