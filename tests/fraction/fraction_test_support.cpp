// The fraction tests' runtime fixture: a headless runtime bound to the sdk
// with the image's real const section.
#include "tests/fraction/fraction_test_support.h"

#include "program/const_layout.h"
#include "runtime/core/runtime.h"
#include "runtime/sdk/sdk.h"
#include "runtime/views/headless/headless_view.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace qx::fraction::testing {

struct BoundRuntimeTest::Binding {
  std::vector<std::uint8_t> const_data = image::write_const_data();
  QxLinkBlock link{};
  std::unique_ptr<rt::Runtime> runtime =
      std::make_unique<rt::Runtime>(std::make_unique<views::HeadlessView>());
};

BoundRuntimeTest::BoundRuntimeTest() = default;
BoundRuntimeTest::~BoundRuntimeTest() = default;

void BoundRuntimeTest::SetUp() {
  m_binding = std::make_unique<Binding>();
  QxLinkBlock &link = m_binding->link;
  link.service_table =
      std::bit_cast<std::uintptr_t>(&m_binding->runtime->service_table());
  link.const_data = std::bit_cast<std::uintptr_t>(m_binding->const_data.data());
  link.const_size = static_cast<std::uint32_t>(m_binding->const_data.size());
  ASSERT_TRUE(sdk::bind(&link));
}

void BoundRuntimeTest::TearDown() {
  // Every text the routines obtained was freed.
  EXPECT_EQ(m_binding->runtime->blocks().outstanding_blocks(), 0u);
  EXPECT_EQ(m_binding->runtime->blocks().outstanding_bytes(), 0u);
  m_binding.reset();
}

} // namespace qx::fraction::testing
