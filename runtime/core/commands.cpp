// The runtime's numbered commands: one table row per command with the kinds
// of its arguments, checked before the command runs.
//
// Choices the commands fix (the program relies on the results):
// - to_text: an integer as its decimal digits; a double by
//   text::format_double (15 significant digits, no exponent for
//   1e-9 <= |x| < 1e15, "0" for negative zero, "nan", "inf", "-inf").
// - text_to_number: text::parse_number (leading number, else 0; beyond the
//   double range an infinity). to_integer of a text: text::parse_integer
//   (leading whole number, clamped to the 32-bit range); of a double:
//   truncation to 64 bits keeping the low 32 (NaN, infinities, |x| >= 2^63
//   give 0).
// - round_number: halves away from zero. remove_blanks: space, tab and the
//   full-width space. left_text / right_text: n beyond the length gives the
//   whole text, n <= 0 the empty text. repeat_text: n <= 0 gives the empty
//   text. split_text: the pieces between separators, empty pieces kept.
//   find_text: 1-based byte position or -1 (also for an empty sought text);
//   a given logical true compares ASCII letters without case.
// - random_integer: uniform over the bounds in either order. set_random_seed
//   with the seed omitted reseeds from a changing source (or restarts from
//   the seed fixed by Runtime::seed_random); with an integer, from it.
// - get_environment_variable: "" when unset; "SystemRoot" falls back to the
//   directory shipped beside the runtime. run_program: started without
//   waiting whatever the logical says, silent on failure. message_box:
//   through the view. get_item_value: the item value at the index, 0 for an
//   index with no item.
#include "runtime/core/commands.h"

#include "platform/environment.h"
#include "platform/process.h"
#include "runtime/core/runtime.h"
#include "runtime/core/text_rules.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qx::rt {
namespace {

// What an argument slot accepts.
enum class SlotKind {
  Text,
  Integer,
  Double,
  Logical,
  Number,          // integer or double
  TextOrNumber,    // text, integer or double
  ControlRef,      // window id, control id, unit type code
  Omitted,         // must be omitted
  OptionalInteger, // omitted or an integer
  OptionalLogical, // omitted or a logical
};

bool is_optional(SlotKind kind) {
  return kind == SlotKind::Omitted || kind == SlotKind::OptionalInteger ||
         kind == SlotKind::OptionalLogical;
}

const char *describe_slot(SlotKind kind) {
  switch (kind) {
  case SlotKind::Text:
    return "a text";
  case SlotKind::Integer:
    return "an integer";
  case SlotKind::Double:
    return "a double";
  case SlotKind::Logical:
    return "a logical";
  case SlotKind::Number:
    return "an integer or a double";
  case SlotKind::TextOrNumber:
    return "a text, an integer or a double";
  case SlotKind::ControlRef:
    return "a control reference";
  case SlotKind::Omitted:
    return "omitted";
  case SlotKind::OptionalInteger:
    return "omitted or an integer";
  case SlotKind::OptionalLogical:
    return "omitted or a logical";
  }
  return "?";
}

// A unit type code: library number in the high half, kind in the low half;
// value type codes have the top bit set.
bool is_unit_type(std::uint32_t type) {
  return type != QX_TYPE_OMITTED && (type & 0x80000000u) == 0;
}

bool slot_accepts(SlotKind kind, std::uint32_t type) {
  switch (kind) {
  case SlotKind::Text:
    return type == QX_TYPE_TEXT;
  case SlotKind::Integer:
    return type == QX_TYPE_INTEGER;
  case SlotKind::Double:
    return type == QX_TYPE_DOUBLE;
  case SlotKind::Logical:
    return type == QX_TYPE_LOGICAL;
  case SlotKind::Number:
    return type == QX_TYPE_INTEGER || type == QX_TYPE_DOUBLE;
  case SlotKind::TextOrNumber:
    return type == QX_TYPE_TEXT || type == QX_TYPE_INTEGER ||
           type == QX_TYPE_DOUBLE;
  case SlotKind::ControlRef:
    return is_unit_type(type);
  case SlotKind::Omitted:
    return type == QX_TYPE_OMITTED;
  case SlotKind::OptionalInteger:
    return type == QX_TYPE_OMITTED || type == QX_TYPE_INTEGER;
  case SlotKind::OptionalLogical:
    return type == QX_TYPE_OMITTED || type == QX_TYPE_LOGICAL;
  }
  return false;
}

std::string type_name(std::uint32_t type) {
  switch (type) {
  case QX_TYPE_OMITTED:
    return "omitted";
  case QX_TYPE_TEXT:
    return "text";
  case QX_TYPE_INTEGER:
    return "integer";
  case QX_TYPE_DOUBLE:
    return "double";
  case QX_TYPE_LOGICAL:
    return "logical";
  default: {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "type 0x%08X", type);
    return buffer;
  }
  }
}

// One checked argument.
struct Argument {
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  std::uint32_t type = QX_TYPE_OMITTED;

  bool omitted() const { return type == QX_TYPE_OMITTED; }
  std::uint64_t bits() const { return std::uint64_t{high} << 32 | low; }
  // A text argument; null reads as "".
  std::string_view text() const {
    const auto *pointer =
        reinterpret_cast<const char *>(static_cast<std::uintptr_t>(bits()));
    return pointer ? std::string_view(pointer) : std::string_view();
  }
  std::int32_t integer() const { return static_cast<std::int32_t>(low); }
  double real() const { return std::bit_cast<double>(bits()); }
  bool logical() const { return low != 0; }
  // An integer or a double as a double.
  double number() const {
    return type == QX_TYPE_INTEGER ? double(integer()) : real();
  }
};

using Arguments = std::span<const Argument>;
using CommandFn = std::uint64_t (*)(Runtime &, Arguments);

struct CommandRow {
  std::uint32_t number;
  const char *name;
  std::vector<SlotKind> slots;
  CommandFn run;
};

std::uint64_t integer_result(std::int32_t value) {
  return static_cast<std::uint32_t>(value);
}

std::uint64_t double_result(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

std::uint64_t text_result(Runtime &runtime, std::string_view text) {
  return reinterpret_cast<std::uintptr_t>(runtime.blocks().copy_text(text));
}

double integer_divide(double a, double b) { return std::trunc(a / b); }

std::uint64_t run_split_text(Runtime &runtime, Arguments args) {
  const std::vector<std::string_view> pieces =
      text::split_text(args[0].text(), args[1].text());
  // A one-dimensional array: {1, count}, then one address per element.
  const std::size_t count = pieces.size();
  constexpr std::size_t kHeader = 8;
  constexpr std::size_t kElement = sizeof(void *);
  if (count > (BlockRegistry::kMaxBlockSize - kHeader) / kElement)
    fail(kErrorOutOfMemory, "split_text: too many pieces");
  BlockRegistry &blocks = runtime.blocks();
  auto *array =
      static_cast<std::byte *>(blocks.allocate(kHeader + kElement * count));
  const std::uint32_t header[2] = {1, static_cast<std::uint32_t>(count)};
  std::memcpy(array, header, sizeof header);
  for (std::size_t i = 0; i < count; ++i) {
    char *piece = nullptr;
    try {
      piece = blocks.copy_text(pieces[i]);
    } catch (...) {
      // Free what was built so far; the array holds the pieces made.
      for (std::size_t j = 0; j < i; ++j) {
        char *made = nullptr;
        std::memcpy(&made, array + kHeader + kElement * j, kElement);
        blocks.free(made);
      }
      blocks.free(array);
      throw;
    }
    std::memcpy(array + kHeader + kElement * i, &piece, kElement);
  }
  return reinterpret_cast<std::uintptr_t>(array);
}

std::uint64_t run_repeat_text(Runtime &runtime, Arguments args) {
  const std::int32_t count = args[0].integer();
  const std::string_view piece = args[1].text();
  if (count <= 0 || piece.empty())
    return text_result(runtime, "");
  const auto total = static_cast<std::uint64_t>(count) * piece.size();
  if (total >= BlockRegistry::kMaxBlockSize)
    fail(kErrorOutOfMemory, "repeat_text: " + std::to_string(count) +
                                " copies of " + std::to_string(piece.size()) +
                                " bytes");
  std::string repeated;
  repeated.reserve(static_cast<std::size_t>(total));
  for (std::int32_t i = 0; i < count; ++i)
    repeated += piece;
  return text_result(runtime, repeated);
}

std::uint64_t run_get_item_value(Runtime &runtime, Arguments args) {
  const Argument &ref = args[0];
  WindowModel *window = runtime.window();
  if (!window || ref.low != window->window_id())
    fail(kErrorBadArgument,
         "get_item_value: no window " + std::to_string(ref.low) + " is loaded");
  const Control *control = window->find(ref.high);
  if (!control || control->unit_type() != ref.type) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer,
                  "get_item_value: no control 0x%08X of unit type 0x%08X",
                  ref.high, ref.type);
    fail(kErrorBadArgument, buffer);
  }
  return integer_result(control->item_value(args[1].integer()).value_or(0));
}

std::uint64_t run_to_integer(Runtime &, Arguments args) {
  const Argument &value = args[0];
  if (value.type == QX_TYPE_TEXT)
    return integer_result(text::parse_integer(value.text()));
  if (value.type == QX_TYPE_INTEGER)
    return integer_result(value.integer());
  return integer_result(text::truncate_to_int32(value.real()));
}

const std::vector<CommandRow> &command_table() {
  using S = SlotKind;
  static const std::vector<CommandRow> table = {
      {QX_CMD_INTEGER_DIVIDE,
       "integer_divide",
       {S::Double, S::Double},
       [](Runtime &, Arguments a) {
         return double_result(integer_divide(a[0].real(), a[1].real()));
       }},
      {QX_CMD_REMAINDER,
       "remainder",
       {S::Double, S::Double},
       [](Runtime &, Arguments a) {
         const double x = a[0].real();
         const double y = a[1].real();
         return double_result(x - y * integer_divide(x, y));
       }},
      {QX_CMD_SIGN_OF,
       "sign_of",
       {S::Double},
       [](Runtime &, Arguments a) {
         const double x = a[0].real();
         return integer_result(x > 0 ? 1 : x < 0 ? -1 : 0);
       }},
      {QX_CMD_ABSOLUTE_VALUE,
       "absolute_value",
       {S::Double},
       [](Runtime &, Arguments a) {
         return double_result(std::fabs(a[0].real()));
       }},
      {QX_CMD_ROUND_NUMBER,
       "round_number",
       {S::Double, S::Omitted},
       [](Runtime &, Arguments a) {
         return double_result(text::round_half_away(a[0].real()));
       }},
      {QX_CMD_POWER,
       "power",
       {S::Double, S::Double},
       [](Runtime &, Arguments a) {
         return double_result(std::pow(a[0].real(), a[1].real()));
       }},
      {QX_CMD_SQUARE_ROOT,
       "square_root",
       {S::Double},
       [](Runtime &, Arguments a) {
         return double_result(std::sqrt(a[0].real()));
       }},
      {QX_CMD_SET_RANDOM_SEED,
       "set_random_seed",
       {S::OptionalInteger},
       [](Runtime &runtime, Arguments a) -> std::uint64_t {
         if (a[0].omitted())
           runtime.reseed_random();
         else
           runtime.seed_random(static_cast<std::uint32_t>(a[0].integer()));
         return 0;
       }},
      {QX_CMD_RANDOM_INTEGER,
       "random_integer",
       {S::Integer, S::Integer},
       [](Runtime &runtime, Arguments a) {
         return integer_result(
             runtime.random_integer(a[0].integer(), a[1].integer()));
       }},
      {QX_CMD_GET_ENVIRONMENT_VARIABLE,
       "get_environment_variable",
       {S::Text},
       [](Runtime &runtime, Arguments a) {
         return text_result(runtime,
                            platform::environment_variable(a[0].text()));
       }},
      {QX_CMD_TEXT_LENGTH,
       "text_length",
       {S::Text},
       [](Runtime &, Arguments a) {
         return integer_result(static_cast<std::int32_t>(
             std::min<std::size_t>(a[0].text().size(), INT32_MAX)));
       }},
      {QX_CMD_LEFT_TEXT,
       "left_text",
       {S::Text, S::Integer},
       [](Runtime &runtime, Arguments a) {
         return text_result(runtime,
                            text::left_text(a[0].text(), a[1].integer()));
       }},
      {QX_CMD_RIGHT_TEXT,
       "right_text",
       {S::Text, S::Integer},
       [](Runtime &runtime, Arguments a) {
         return text_result(runtime,
                            text::right_text(a[0].text(), a[1].integer()));
       }},
      {QX_CMD_FIND_TEXT,
       "find_text",
       {S::Text, S::Text, S::Omitted, S::OptionalLogical},
       [](Runtime &, Arguments a) {
         return integer_result(
             text::find_text(a[0].text(), a[1].text(), 1, a[3].logical()));
       }},
      {QX_CMD_TEXT_TO_NUMBER,
       "text_to_number",
       {S::Text},
       [](Runtime &, Arguments a) {
         return double_result(text::parse_number(a[0].text()));
       }},
      {QX_CMD_TO_TEXT,
       "to_text",
       {S::Number},
       [](Runtime &runtime, Arguments a) {
         if (a[0].type == QX_TYPE_INTEGER)
           return text_result(runtime, std::to_string(a[0].integer()));
         return text_result(runtime, text::format_double(a[0].real()));
       }},
      {QX_CMD_REMOVE_BLANKS,
       "remove_blanks",
       {S::Text},
       [](Runtime &runtime, Arguments a) {
         return text_result(runtime, text::remove_blanks(a[0].text()));
       }},
      {QX_CMD_REPEAT_TEXT,
       "repeat_text",
       {S::Integer, S::Text},
       run_repeat_text},
      {QX_CMD_SPLIT_TEXT,
       "split_text",
       {S::Text, S::Text, S::Omitted},
       run_split_text},
      {QX_CMD_RUN_PROGRAM,
       "run_program",
       {S::Text, S::Logical, S::Omitted},
       [](Runtime &, Arguments a) -> std::uint64_t {
         platform::run_program(a[0].text());
         return 0;
       }},
      {QX_CMD_MESSAGE_BOX,
       "message_box",
       {S::Text, S::Integer, S::Omitted},
       [](Runtime &runtime, Arguments a) -> std::uint64_t {
         runtime.view().show_message_box(
             a[0].text(), static_cast<std::uint32_t>(a[1].integer()));
         return 0;
       }},
      {QX_CMD_GET_ITEM_VALUE,
       "get_item_value",
       {S::ControlRef, S::Integer},
       run_get_item_value},
      {QX_CMD_TO_INTEGER, "to_integer", {S::TextOrNumber}, run_to_integer},
  };
  return table;
}

const CommandRow *find_command(std::uint32_t number) {
  for (const CommandRow &row : command_table())
    if (row.number == number)
      return &row;
  return nullptr;
}

std::string hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", value);
  return buffer;
}

} // namespace

const char *command_name(std::uint32_t number) {
  const CommandRow *row = find_command(number);
  return row ? row->name : nullptr;
}

std::uint64_t run_command(Runtime &runtime, std::uint32_t number,
                          const std::uint32_t *record) {
  const CommandRow *row = find_command(number);
  if (!row)
    fail(kErrorBadCommand, "command " + hex(number));
  const std::string name = row->name;
  if (!record)
    fail(kErrorBadArgument, name + ": no argument record");

  // Trailing optional arguments may be left out of the record.
  std::size_t required = row->slots.size();
  while (required > 0 && is_optional(row->slots[required - 1]))
    --required;
  const std::uint32_t count = record[0];
  if (count < required || count > row->slots.size())
    fail(kErrorBadArgument, name + ": " + std::to_string(count) +
                                " arguments, expected " +
                                (required == row->slots.size()
                                     ? std::to_string(required)
                                     : std::to_string(required) + " to " +
                                           std::to_string(row->slots.size())));

  std::array<Argument, QX_MAX_COMMAND_ARGUMENTS> args{};
  for (std::size_t i = 0; i < row->slots.size(); ++i) {
    if (i >= count)
      continue; // left out: omitted
    const std::uint32_t *words = record + 1 + 3 * i;
    Argument &arg = args[i];
    arg = Argument{words[0], words[1], words[2]};
    if (!slot_accepts(row->slots[i], arg.type))
      fail(kErrorBadArgument, name + ": argument " + std::to_string(i + 1) +
                                  " is " + type_name(arg.type) + ", expected " +
                                  describe_slot(row->slots[i]));
  }
  return row->run(runtime, Arguments(args.data(), row->slots.size()));
}

} // namespace qx::rt
