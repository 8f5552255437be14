// Commands called through the service table with raw argument records:
// results, argument checking and block accounting.
#include "runtime/core/commands.h"
#include "tests/runtime/runtime_fixture.h"

#include <cmath>
#include <cstring>
#include <string>

namespace qx::test {
namespace {

class CommandTest : public RuntimeTest {
protected:
  std::uint64_t call(std::uint32_t number, const RawRecord &record) {
    return runtime->service_table().call_command(number, record.data());
  }
  double call_double(std::uint32_t number, const RawRecord &record) {
    return std::bit_cast<double>(call(number, record));
  }
  std::int32_t call_integer(std::uint32_t number, const RawRecord &record) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(call(number, record)));
  }
  // A text result, copied and freed.
  std::string call_text(std::uint32_t number, const RawRecord &record) {
    auto *text = reinterpret_cast<char *>(
        static_cast<std::uintptr_t>(call(number, record)));
    EXPECT_NE(text, nullptr);
    std::string copy = text ? text : "";
    runtime->service_table().free(text);
    return copy;
  }
  // The fault a call raises, or a fault with code 0 when it returns.
  rt::RuntimeFault fault_of(std::uint32_t number, const RawRecord &record) {
    try {
      call(number, record);
    } catch (const rt::RuntimeFault &fault) {
      return fault;
    }
    return {};
  }
};

TEST_F(CommandTest, MessageBoxRecordLayout) {
  const char *text = "please fill in";
  const RawRecord record =
      RawRecord().text(text).integer(QX_MB_INFORMATION).omitted();
  ASSERT_EQ(record.words.size() * 4, 40u);
  const auto address = std::bit_cast<std::uintptr_t>(text);
  const std::uint32_t expected[10] = {
      3,
      static_cast<std::uint32_t>(address),
      static_cast<std::uint32_t>(std::uint64_t{address} >> 32),
      QX_TYPE_TEXT,
      0x40,
      0,
      0x80000301u,
      0,
      0,
      0};
  EXPECT_EQ(std::memcmp(record.data(), expected, sizeof expected), 0);

  load_test_window();
  EXPECT_EQ(call(QX_CMD_MESSAGE_BOX, record), 0u);
  ASSERT_EQ(view->messages().size(), 1u);
  EXPECT_EQ(view->messages()[0].text, text);
  EXPECT_EQ(view->messages()[0].flags, 0x40u);
}

TEST_F(CommandTest, Arithmetic) {
  const struct {
    std::uint32_t number;
    double a, b, result;
  } cases[] = {
      {QX_CMD_INTEGER_DIVIDE, 7, 2, 3}, {QX_CMD_INTEGER_DIVIDE, -7, 2, -3},
      {QX_CMD_REMAINDER, 7, 2, 1},      {QX_CMD_REMAINDER, -7, 2, -1},
      {QX_CMD_REMAINDER, 7.5, 2, 1.5},  {QX_CMD_POWER, 2, 10, 1024},
      {QX_CMD_POWER, 9, 0.5, 3},
  };
  for (const auto &c : cases)
    EXPECT_EQ(call_double(c.number, RawRecord().real(c.a).real(c.b)), c.result)
        << rt::command_name(c.number) << " " << c.a << " " << c.b;

  EXPECT_TRUE(std::isinf(
      call_double(QX_CMD_INTEGER_DIVIDE, RawRecord().real(1).real(0))));
  EXPECT_EQ(call_double(QX_CMD_SQUARE_ROOT, RawRecord().real(2.25)), 1.5);
  EXPECT_TRUE(
      std::isnan(call_double(QX_CMD_SQUARE_ROOT, RawRecord().real(-1))));
  EXPECT_EQ(call_double(QX_CMD_ABSOLUTE_VALUE, RawRecord().real(-3.5)), 3.5);
  EXPECT_EQ(call_double(QX_CMD_ROUND_NUMBER, RawRecord().real(2.5).omitted()),
            3);
  EXPECT_EQ(call_double(QX_CMD_ROUND_NUMBER, RawRecord().real(-2.5).omitted()),
            -3);
  for (auto [value, sign] :
       {std::pair{-0.1, -1}, {0.0, 0}, {-0.0, 0}, {7.0, 1}})
    EXPECT_EQ(call_integer(QX_CMD_SIGN_OF, RawRecord().real(value)), sign);
}

TEST_F(CommandTest, Texts) {
  EXPECT_EQ(call_text(QX_CMD_TO_TEXT, RawRecord().integer(-2147483647 - 1)),
            "-2147483648");
  EXPECT_EQ(call_text(QX_CMD_TO_TEXT, RawRecord().real(0.37)), "0.37");
  EXPECT_EQ(call_text(QX_CMD_TO_TEXT, RawRecord().real(-0.0)), "0");
  EXPECT_EQ(call_text(QX_CMD_LEFT_TEXT, RawRecord().text("abc").integer(9)),
            "abc");
  EXPECT_EQ(call_text(QX_CMD_RIGHT_TEXT, RawRecord().text("abc").integer(1)),
            "c");
  EXPECT_EQ(call_text(QX_CMD_REMOVE_BLANKS, RawRecord().text(" 3 / 4 ")),
            "3/4");
  EXPECT_EQ(call_text(QX_CMD_REPEAT_TEXT, RawRecord().integer(3).text("0")),
            "000");
  EXPECT_EQ(call_text(QX_CMD_REPEAT_TEXT, RawRecord().integer(-1).text("0")),
            "");
  EXPECT_EQ(call_integer(QX_CMD_TEXT_LENGTH, RawRecord().text("\xB0\xA1x")), 3);
  EXPECT_EQ(call_integer(
                QX_CMD_FIND_TEXT,
                RawRecord().text("2&1/3").text("/").omitted().logical(false)),
            4);
  EXPECT_EQ(call_double(QX_CMD_TEXT_TO_NUMBER, RawRecord().text(" 2.75x")),
            2.75);
  EXPECT_EQ(call_integer(QX_CMD_TO_INTEGER, RawRecord().text("-12/5")), -12);
  EXPECT_EQ(call_integer(QX_CMD_TO_INTEGER, RawRecord().real(-2.9)), -2);
  EXPECT_EQ(call_integer(QX_CMD_TO_INTEGER, RawRecord().real(4294967301.0)), 5);
}

TEST_F(CommandTest, SplitTextGivesAnArrayOfOwnedTexts) {
  auto *array = reinterpret_cast<unsigned char *>(static_cast<std::uintptr_t>(
      call(QX_CMD_SPLIT_TEXT, RawRecord().text("3//4").text("/").omitted())));
  ASSERT_NE(array, nullptr);
  std::uint32_t header[2];
  std::memcpy(header, array, sizeof header);
  EXPECT_EQ(header[0], 1u);
  ASSERT_EQ(header[1], 3u);
  const char *expected[] = {"3", "", "4"};
  EXPECT_EQ(runtime->blocks().outstanding_blocks(), 4u);
  for (int i = 0; i < 3; ++i) {
    char *piece = nullptr;
    std::memcpy(&piece, array + 8 + sizeof piece * i, sizeof piece);
    EXPECT_STREQ(piece, expected[i]);
    runtime->service_table().free(piece);
  }
  runtime->service_table().free(array);
}

TEST_F(CommandTest, RepeatTextBeyondTheBlockLimitIsAnError) {
  EXPECT_EQ(
      fault_of(QX_CMD_REPEAT_TEXT, RawRecord().integer(2147483647).text("abc"))
          .code,
      rt::kErrorOutOfMemory);
}

TEST_F(CommandTest, RandomIntegerStaysWithinBoundsInEitherOrder) {
  runtime->seed_random(7);
  bool seen_low = false, seen_high = false;
  for (int i = 0; i < 500; ++i) {
    const std::int32_t value =
        call_integer(QX_CMD_RANDOM_INTEGER, RawRecord().integer(4).integer(1));
    ASSERT_GE(value, 1);
    ASSERT_LE(value, 4);
    seen_low |= value == 1;
    seen_high |= value == 4;
  }
  EXPECT_TRUE(seen_low && seen_high);
  EXPECT_EQ(call_integer(
                QX_CMD_RANDOM_INTEGER,
                RawRecord().integer(-2147483647 - 1).integer(-2147483647 - 1)),
            -2147483647 - 1);
}

TEST_F(CommandTest, FixedSeedMakesDrawsReproducibleAcrossReseeding) {
  auto draw = [&] {
    std::vector<std::int32_t> values;
    for (int i = 0; i < 8; ++i)
      values.push_back(call_integer(QX_CMD_RANDOM_INTEGER,
                                    RawRecord().integer(1).integer(1000000)));
    return values;
  };
  runtime->seed_random(42);
  const auto first = draw();
  // The program's own reseed (seed omitted) restarts from the fixed seed.
  call(QX_CMD_SET_RANDOM_SEED, RawRecord().omitted());
  EXPECT_EQ(draw(), first);
  call(QX_CMD_SET_RANDOM_SEED, RawRecord().integer(43));
  EXPECT_NE(draw(), first);
}

TEST_F(CommandTest, EnvironmentVariables) {
  ::setenv("QUADRIX_TEST_VARIABLE", "value", 1);
  EXPECT_EQ(call_text(QX_CMD_GET_ENVIRONMENT_VARIABLE,
                      RawRecord().text("QUADRIX_TEST_VARIABLE")),
            "value");
  ::unsetenv("QUADRIX_TEST_VARIABLE");
  EXPECT_EQ(call_text(QX_CMD_GET_ENVIRONMENT_VARIABLE,
                      RawRecord().text("QUADRIX_TEST_VARIABLE")),
            "");
}

TEST_F(CommandTest, ItemValues) {
  load_test_window();
  auto item = [&](std::uint32_t unit, std::int32_t index) {
    return RawRecord().add(QX_MAIN_WINDOW, kCombo, unit).integer(index);
  };
  EXPECT_EQ(call_integer(QX_CMD_GET_ITEM_VALUE, item(QX_UNIT_COMBO_BOX, 0)), 1);
  EXPECT_EQ(call_integer(QX_CMD_GET_ITEM_VALUE, item(QX_UNIT_COMBO_BOX, 3)), 4);
  EXPECT_EQ(call_integer(QX_CMD_GET_ITEM_VALUE, item(QX_UNIT_COMBO_BOX, 4)), 0);
  EXPECT_EQ(call_integer(QX_CMD_GET_ITEM_VALUE, item(QX_UNIT_COMBO_BOX, -1)),
            0);
  EXPECT_EQ(fault_of(QX_CMD_GET_ITEM_VALUE, item(QX_UNIT_EDIT_BOX, 0)).code,
            rt::kErrorBadArgument);
}

TEST_F(CommandTest, BadRecordsAreRuntimeErrors) {
  const struct {
    const char *what;
    std::uint32_t number;
    RawRecord record;
  } cases[] = {
      {"unknown command", 0x4, RawRecord().real(1)},
      {"integer for a double", QX_CMD_SQUARE_ROOT, RawRecord().integer(4)},
      {"double for a text", QX_CMD_TEXT_LENGTH, RawRecord().real(1)},
      {"too few", QX_CMD_POWER, RawRecord().real(1)},
      {"too many", QX_CMD_SQUARE_ROOT, RawRecord().real(1).real(2)},
      {"omitted required", QX_CMD_TO_TEXT, RawRecord().omitted()},
      {"given where omitted", QX_CMD_ROUND_NUMBER,
       RawRecord().real(1).integer(2)},
      {"text for a control", QX_CMD_GET_ITEM_VALUE,
       RawRecord().text("x").integer(0)},
      {"unknown type code", QX_CMD_TO_INTEGER,
       RawRecord().add(0, 0, 0x80000005u)},
      {"huge count", QX_CMD_TO_TEXT, RawRecord().add(1, 0, QX_TYPE_INTEGER)},
  };
  for (auto c : cases) {
    if (std::string(c.what) == "huge count")
      c.record.words[0] = 0xFFFFFFFF;
    const rt::RuntimeFault fault = fault_of(c.number, c.record);
    EXPECT_NE(fault.code, 0) << c.what;
    EXPECT_FALSE(fault.report().empty());
  }
  EXPECT_EQ(fault_of(QX_CMD_SQUARE_ROOT, RawRecord().integer(4)).report(),
            "runtime error 102: bad command argument: square_root: argument 1 "
            "is integer, expected a double");
  EXPECT_THROW(runtime->service_table().call_command(QX_CMD_TO_TEXT, nullptr),
               rt::RuntimeFault);
}

TEST_F(CommandTest, TrailingOptionalArgumentsMayBeLeftOut) {
  EXPECT_EQ(call_double(QX_CMD_ROUND_NUMBER, RawRecord().real(1.5)), 2);
  EXPECT_EQ(call_integer(QX_CMD_FIND_TEXT, RawRecord().text("ab").text("b")),
            2);
}

} // namespace
} // namespace qx::test
