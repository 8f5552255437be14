// The page of two linear equations: OnSolveSystem.
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

// Writes the number into the box and returns the text written.
std::string write_number(std::uint32_t box, double value) {
  const sdk::Text text = sdk::to_text(value);
  sdk::write_text(box, text.c_str());
  return std::string(text.view());
}

} // namespace

QX_IMAGE_ROUTINE void OnSolveSystem() {
  if (!solvers::boxes_filled(kCheckOrder)) {
    solvers::show_message(konst::kSystemIncomplete);
    return;
  }
  std::array<solvers::Coefficient, 6> k{};
  if (!solvers::read_coefficients(kReadOrder, k)) {
    solvers::show_message(konst::kCoefficientOutOfRange);
    return;
  }
  // Read along the rows: a1, b1, a2, b2, c1, c2.
  const solvers::SystemInput input{k[0], k[1], k[4], k[2], k[3], k[5]};
  const solvers::SystemSolution solution = solvers::solve_system(
      {k[0].value, k[1].value, k[4].value, k[2].value, k[3].value, k[5].value});
  switch (solution.kind) {
  case solvers::SolutionKind::Infinite:
    write_verdict(konst::kInfiniteSolutions);
    break;
  case solvers::SolutionKind::None:
    write_verdict(konst::kNoSolution);
    break;
  case solvers::SolutionKind::Unique: {
    const std::string x = write_number(ctl::xyx, solution.x);
    const std::string y = write_number(ctl::xyy, solution.y);
    solvers::show_working(solvers::system_working(input, x, y));
    return;
  }
  }
  solvers::show_working(solvers::system_working(input, "", ""));
}
