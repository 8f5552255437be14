// Shared helpers of the fraction tests: readable values in failure messages
// and a fixture that binds the program side to an in-process runtime.
#pragma once

#include "fraction/fraction.h"

#include <gtest/gtest.h>

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
