// Shared helpers of the fraction tests: readable values in failure messages
// and a fixture that binds the program side to an in-process runtime.
#pragma once

#include "fraction/fraction.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <ostream>

namespace qx::fraction {

inline void PrintTo(const Fraction &f, std::ostream *out) {
  *out << f.numerator << "/" << f.denominator;
}

inline void PrintTo(const MixedNumber &m, std::ostream *out) {
  *out << "{" << m.whole << ", " << m.numerator << ", " << m.denominator << "}";
}

} // namespace qx::fraction

namespace qx::fraction::testing {

// One row of a routine's table: an input and what the routine gives for it.
template <typename In, typename Out> struct Row {
  In in;
  Out out;
};

// Checks that `routine(row.in)` equals `row.out` for every row, naming the
// input of a row that fails.
template <typename In, typename Out, std::size_t N, typename Routine>
void expect_rows(const Row<In, Out> (&rows)[N], Routine &&routine) {
  for (const Row<In, Out> &row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.in));
    EXPECT_EQ(routine(row.in), row.out);
  }
}

// Runs each test with a fresh runtime bound to the sdk, so the text routines
// and the runtime's commands work; checks that every block was freed.
class BoundRuntimeTest : public ::testing::Test {
protected:
  BoundRuntimeTest();
  ~BoundRuntimeTest() override;
  void SetUp() override;
  void TearDown() override;

private:
  struct Binding;
  std::unique_ptr<Binding> m_binding;
};

} // namespace qx::fraction::testing
