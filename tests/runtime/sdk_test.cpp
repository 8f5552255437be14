// The program-side SDK: support routines, owned blocks and typed commands,
// through a runtime's real service table.
#include "tests/runtime/runtime_fixture.h"

#include <cmath>

namespace qx::test {
namespace {

using SdkTest = RuntimeTest;

TEST(SdkSupport, TextCompare) {
  const struct {
    const char *a;
    const char *b;
    int result;
  } cases[] = {
      {nullptr, nullptr, 0}, {nullptr, "", 0},
      {"", nullptr, 0},      {"a", nullptr, 1},
      {nullptr, "a", -1},    {"ab", "a", 1},
      {"a", "ab", -1},       {"ab", "ab", 0},
      {"\xB0\xA1", "a", 1}, // bytes compare unsigned
  };
  for (const auto &c : cases)
    EXPECT_EQ(sdk::text_compare(c.a, c.b), c.result)
        << (c.a ? c.a : "null") << " vs " << (c.b ? c.b : "null");
}

TEST(SdkSupport, DoubleToInt32AndTextLength) {
  EXPECT_EQ(sdk::double_to_int32(2.9), 2);
  EXPECT_EQ(sdk::double_to_int32(-2.9), -2);
  EXPECT_EQ(sdk::double_to_int32(4294967296.0 + 5), 5);
  EXPECT_EQ(sdk::double_to_int32(std::nan("")), 0);
  EXPECT_EQ(sdk::text_length(nullptr), 0);
  EXPECT_EQ(sdk::text_length("\xB0\xA1"), 2);
}

TEST(SdkBind, RefusesSmallOldOrMissingTables) {
  QxServiceTable table = rt::service_functions();
  QxLinkBlock link{};
  link.service_table = std::bit_cast<std::uintptr_t>(&table);
  EXPECT_FALSE(sdk::bind(nullptr));
  table.size = sizeof table - 1;
  EXPECT_FALSE(sdk::bind(&link));
  table.size = sizeof table;
  table.version = 0;
  EXPECT_FALSE(sdk::bind(&link));
  table.version = QX_SERVICE_TABLE_VERSION;
  table.free = nullptr;
  EXPECT_FALSE(sdk::bind(&link));
  table.free = rt::service_functions().free;
  link.const_size = 4; // const size without const data
  EXPECT_FALSE(sdk::bind(&link));
  link.const_size = 0;
  EXPECT_TRUE(sdk::bind(&link));
}

TEST_F(SdkTest, ConcatenationCountsNullPiecesAsEmpty) {
  EXPECT_EQ(sdk::concat({nullptr, "\\system32\\calc.exe"}).view(),
            "\\system32\\calc.exe");
  EXPECT_EQ(sdk::concat({"a", "b", nullptr, "c", "", "d"}).view(), "abcd");
  sdk::Text empty = sdk::concat({nullptr, nullptr});
  EXPECT_TRUE(empty.empty());
  EXPECT_FALSE(empty.is_null());
  EXPECT_EQ(runtime->blocks().outstanding_blocks(), 1u);
}

TEST_F(SdkTest, TextsAreFreedByTheirOwners) {
  {
    sdk::Text number = sdk::to_text(1.5);
    sdk::Text moved = std::move(number);
    EXPECT_EQ(moved.view(), "1.5");
    EXPECT_TRUE(number.is_null());
    EXPECT_EQ(number.view(), "");
    EXPECT_EQ(runtime->blocks().outstanding_blocks(), 1u);
    moved = sdk::to_text(2);
    EXPECT_EQ(runtime->blocks().outstanding_blocks(), 1u);
  }
  EXPECT_EQ(runtime->blocks().outstanding_blocks(), 0u);
}

TEST_F(SdkTest, CommandsThroughTheWrapper) {
  EXPECT_EQ(sdk::integer_divide(7, 2), 3);
  EXPECT_EQ(sdk::remainder(7, 2), 1);
  EXPECT_EQ(sdk::sign_of(-4), -1);
  EXPECT_EQ(sdk::absolute_value(-4), 4);
  EXPECT_EQ(sdk::round_number(0.5), 1);
  EXPECT_EQ(sdk::power(10, 3), 1000);
  EXPECT_EQ(sdk::square_root(16), 4);
  EXPECT_EQ(sdk::command_text_length("abcd"), 4);
  EXPECT_EQ(sdk::left_text("abcd", 2).view(), "ab");
  EXPECT_EQ(sdk::right_text("abcd", 2).view(), "cd");
  EXPECT_EQ(sdk::find_text("3&1/2", "&"), 2);
  EXPECT_EQ(sdk::find_text(nullptr, "&"), -1);
  EXPECT_EQ(sdk::text_to_number("12.5"), 12.5);
  EXPECT_EQ(sdk::to_text(-7).view(), "-7");
  EXPECT_EQ(sdk::remove_blanks(" 1 ").view(), "1");
  EXPECT_EQ(sdk::repeat_text(3, "0").view(), "000");
  EXPECT_EQ(sdk::to_integer("42abc"), 42);
  EXPECT_EQ(sdk::to_integer(-2.9), -2);
  sdk::set_random_seed();
  const std::int32_t drawn = sdk::random_integer(5, 5);
  EXPECT_EQ(drawn, 5);

  sdk::TextArray pieces = sdk::split_text("3/4", "/");
  ASSERT_EQ(pieces.size(), 2);
  EXPECT_EQ(pieces.at(1), "3");
  EXPECT_EQ(pieces.at(2), "4");
}

TEST_F(SdkTest, ConstantsOfTheImage) {
  EXPECT_STREQ(sdk::const_text(0), "abc");
  EXPECT_EQ(sdk::const_double(4), 2.5);
  sdk::IntArray divisors = sdk::IntArray::copy_of_constant(12);
  ASSERT_EQ(divisors.size(), 3);
  EXPECT_EQ(divisors.at(1), 10);
  EXPECT_EQ(divisors.at(3), 1000);
  sdk::IntArray zeros = sdk::IntArray::of_constant_shape(32);
  ASSERT_EQ(zeros.size(), 3);
  EXPECT_EQ(zeros.at(2), 0);
}

TEST_F(SdkTest, AppendGrowsFromNothingAndFromOtherShapes) {
  sdk::IntArray array;
  EXPECT_EQ(array.size(), 0);
  for (std::int32_t value : {5, 6, 7})
    array.append(value);
  ASSERT_EQ(array.size(), 3);
  EXPECT_EQ(array.at(1), 5);
  EXPECT_EQ(array.at(3), 7);
  EXPECT_EQ(runtime->blocks().outstanding_blocks(), 1u);
  EXPECT_EQ(runtime->blocks().outstanding_bytes(), 8u + 4 * 3);

  // A two-dimensional 1 x 2 array becomes one dimension of three.
  void *block = runtime->blocks().allocate(20);
  const std::uint32_t words[5] = {2, 1, 2, 9, 10};
  std::memcpy(block, words, sizeof words);
  sdk::IntArray two(block);
  EXPECT_EQ(two.size(), 2);
  two.append(11);
  ASSERT_EQ(two.size(), 3);
  EXPECT_EQ(two.at(1), 9);
  EXPECT_EQ(two.at(2), 10);
  EXPECT_EQ(two.at(3), 11);
  // Both arrays hold a one-dimensional header and three elements.
  EXPECT_EQ(runtime->blocks().outstanding_bytes(), 2 * (8u + 4 * 3));
}

TEST_F(SdkTest, IndexErrorsEndTheProgramWithTheirCodes) {
  const struct {
    std::int32_t index;
    std::int32_t code;
    const char *report;
  } cases[] = {
      {0, 4, "runtime error 4: array index below 1"},
      {-1, 4, "runtime error 4: array index below 1"},
      {4, 1, "runtime error 1: array index beyond the last element"},
  };
  for (const auto &c : cases) {
    // Each case needs a fresh runtime: an ended program stays ended.
    restart();

    bool returned = false;
    const int status = run([&] {
      sdk::IntArray array = sdk::IntArray::of_constant_shape(32);
      static_cast<void>(array.at(c.index));
      returned = true;
    });
    EXPECT_FALSE(returned);
    EXPECT_EQ(status, rt::kRuntimeErrorStatus);
    EXPECT_EQ(runtime->error_report(), c.report);
    ASSERT_EQ(view->errors().size(), 1u);
    EXPECT_EQ(view->errors()[0], c.report);
    // The array was freed by its owner while the error unwound.
    EXPECT_EQ(runtime->blocks().outstanding_blocks(), 0u);
  }
}

TEST_F(SdkTest, EndProgramUnwindsAndReportsItsCode) {
  const int status = run([] {
    sdk::Text held = sdk::to_text(1);
    sdk::end_program(0);
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(runtime->exit_status(), 0);
  EXPECT_TRUE(runtime->error_report().empty());
}

TEST_F(SdkTest, BadBlocksAreRuntimeErrorsNotCorruption) {
  int local = 0;
  EXPECT_EQ(run([&] { sdk::services().free(&local); }),
            rt::kRuntimeErrorStatus);
  EXPECT_NE(runtime->error_report().find("runtime error 104"),
            std::string::npos);
}

TEST_F(SdkTest, DoubleFreeIsARuntimeError) {
  void *block = runtime->blocks().allocate(4);
  runtime->blocks().free(block);
  EXPECT_THROW(runtime->blocks().free(block), rt::RuntimeFault);
  EXPECT_THROW(runtime->blocks().reallocate(block, 8), rt::RuntimeFault);
}

TEST_F(SdkTest, ReallocateKeepsContentsAndAccounting) {
  auto *block = static_cast<char *>(sdk::services().allocate(4));
  std::memcpy(block, "abc", 4);
  block = static_cast<char *>(sdk::services().reallocate(block, 100));
  EXPECT_STREQ(block, "abc");
  EXPECT_EQ(block[99], 0);
  EXPECT_EQ(runtime->blocks().outstanding_bytes(), 100u);
  block = static_cast<char *>(sdk::services().reallocate(block, 2));
  EXPECT_EQ(std::string_view(block, 2), "ab");
  EXPECT_EQ(runtime->blocks().outstanding_bytes(), 2u);
  sdk::services().free(block);
}

} // namespace
} // namespace qx::test
