// The program side's typed wrapper over the service table and commands.
#include "runtime/sdk/sdk.h"

#include "document/document_codec.h"
#include "runtime/core/truncation.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace qx::sdk {
namespace {

const QxServiceTable *g_table = nullptr;
const unsigned char *g_const_data = nullptr;
std::uint32_t g_const_size = 0;

// A broken promise of the program itself (not bad input): stop at once.
[[noreturn]] void violated(const char *what) {
  std::fprintf(stderr, "quadrix program: %s\n", what);
  std::abort();
}

const char *or_empty(const char *text) { return text ? text : ""; }

template <typename T> T *address(std::uint64_t bits) {
  return reinterpret_cast<T *>(static_cast<std::uintptr_t>(bits));
}

// An argument record under construction: a count and up to
// QX_MAX_COMMAND_ARGUMENTS triples.
class Record {
public:
  Record &text(const char *value) {
    // Commands never receive a null text: the empty text stands for it.
    return add(std::bit_cast<std::uintptr_t>(or_empty(value)), QX_TYPE_TEXT);
  }
  Record &integer(std::int32_t value) {
    return add(static_cast<std::uint32_t>(value), QX_TYPE_INTEGER);
  }
  Record &real(double value) {
    return add(std::bit_cast<std::uint64_t>(value), QX_TYPE_DOUBLE);
  }
  Record &logical(bool value) { return add(value ? 1 : 0, QX_TYPE_LOGICAL); }
  Record &omitted() { return add(0, QX_TYPE_OMITTED); }
  Record &control(std::uint32_t window, std::uint32_t control,
                  std::uint32_t unit_type) {
    return add(std::uint64_t{control} << 32 | window, unit_type);
  }

  std::uint64_t call(QxCommand number) const {
    return services().call_command(number, m_words.data());
  }

private:
  Record &add(std::uint64_t value, std::uint32_t type) {
    const std::size_t at = 1 + 3 * m_words[0];
    m_words[at] = static_cast<std::uint32_t>(value);
    m_words[at + 1] = static_cast<std::uint32_t>(value >> 32);
    m_words[at + 2] = type;
    ++m_words[0];
    return *this;
  }

  std::array<std::uint32_t, QX_RECORD_WORDS(QX_MAX_COMMAND_ARGUMENTS)>
      m_words{};
};

std::int32_t as_integer(std::uint64_t result) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
}

double as_double(std::uint64_t result) { return std::bit_cast<double>(result); }

Text as_text(std::uint64_t result) { return Text(address<char>(result)); }

std::uint32_t read_word(const unsigned char *at) {
  std::uint32_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return word;
}

void write_word(unsigned char *at, std::uint32_t word) {
  std::memcpy(at, &word, sizeof word);
}

// The header of a constant array at `offset`: its byte size and element
// count, checked against the const section.
struct ConstArray {
  std::size_t header_size = 0;
  std::int32_t count = 0;
};

ConstArray const_array(std::uint32_t offset) {
  if (g_const_size < 4 || offset > g_const_size - 4)
    violated("constant array outside the const section");
  const std::uint32_t dims = read_word(g_const_data + offset);
  if (dims > (g_const_size - offset - 4) / 4)
    violated("constant array header runs past the const section");
  ConstArray array;
  array.header_size = 4 + 4 * std::size_t{dims};
  array.count = element_count(g_const_data + offset);
  return array;
}

} // namespace

// ---- Binding ------------------------------------------------------------

bool bind(const QxLinkBlock *link) {
  if (!link)
    return false;
  const auto *table = address<const QxServiceTable>(link->service_table);
  if (!table || table->size < sizeof(QxServiceTable) ||
      table->version < QX_SERVICE_TABLE_VERSION)
    return false;
  if (!table->raise_runtime_error || !table->call_command ||
      !table->read_property || !table->write_property || !table->allocate ||
      !table->reallocate || !table->free || !table->end_program ||
      !table->message_loop || !table->load_window || !table->runtime_utility ||
      !table->show_document)
    return false;
  if (link->const_size > 0 && !link->const_data)
    return false;
  g_table = table;
  g_const_data = address<const unsigned char>(link->const_data);
  g_const_size = link->const_size;
  return true;
}

bool is_bound() { return g_table != nullptr; }

const QxServiceTable &services() {
  if (!g_table)
    violated("the runtime's services are used before binding");
  return *g_table;
}

// ---- Owned blocks -------------------------------------------------------

Block &Block::operator=(Block &&other) noexcept {
  if (this != &other) {
    void *old = std::exchange(m_block, std::exchange(other.m_block, nullptr));
    if (old)
      services().free(old);
  }
  return *this;
}

Block::~Block() {
  if (m_block)
    services().free(m_block);
}

Text Text::copy_of(std::string_view gbk) {
  if (gbk.size() >= std::numeric_limits<std::uint32_t>::max())
    violated("text too long for a runtime block");
  auto *bytes = static_cast<char *>(
      services().allocate(static_cast<std::uint32_t>(gbk.size() + 1)));
  if (!gbk.empty())
    std::memcpy(bytes, gbk.data(), gbk.size());
  bytes[gbk.size()] = '\0';
  return Text(bytes);
}

const char *Text::c_str() const {
  return m_block ? static_cast<const char *>(m_block.get()) : "";
}

TextArray &TextArray::operator=(TextArray &&other) noexcept {
  if (this != &other) {
    TextArray old(std::move(*this));
    m_block = std::move(other.m_block);
  }
  return *this;
}

TextArray::~TextArray() {
  const ArrayElements elements = array_elements(m_block.get());
  for (std::int32_t i = 0; i < elements.count; ++i) {
    void *element = nullptr;
    std::memcpy(&element, elements.first + QX_ADDRESS_ELEMENT_SIZE * i,
                sizeof element);
    if (element)
      services().free(element);
  }
}

std::int32_t TextArray::size() const {
  return array_elements(m_block.get()).count;
}

std::string_view TextArray::at(std::int32_t index) const {
  const char *element = nullptr;
  std::memcpy(&element,
              element_address(m_block.get(), index, QX_ADDRESS_ELEMENT_SIZE),
              sizeof element);
  return or_empty(element);
}

IntArray IntArray::copy_of_constant(std::uint32_t const_offset) {
  const ConstArray shape = const_array(const_offset);
  const std::size_t size =
      shape.header_size + QX_INTEGER_ELEMENT_SIZE * std::size_t(shape.count);
  if (size > g_const_size - const_offset)
    violated("constant array elements run past the const section");
  void *block = services().allocate(static_cast<std::uint32_t>(size));
  std::memcpy(block, g_const_data + const_offset, size);
  return IntArray(block);
}

IntArray IntArray::of_constant_shape(std::uint32_t const_offset) {
  const ConstArray shape = const_array(const_offset);
  const std::size_t size =
      shape.header_size + QX_INTEGER_ELEMENT_SIZE * std::size_t(shape.count);
  if (size > std::numeric_limits<std::uint32_t>::max())
    violated("constant array too large");
  // allocate gives zero-filled blocks; the header is copied over them.
  void *block = services().allocate(static_cast<std::uint32_t>(size));
  std::memcpy(block, g_const_data + const_offset, shape.header_size);
  return IntArray(block);
}

std::int32_t IntArray::size() const {
  return array_elements(m_block.get()).count;
}

std::int32_t IntArray::at(std::int32_t index) const {
  std::int32_t value = 0;
  std::memcpy(&value,
              element_address(m_block.get(), index, QX_INTEGER_ELEMENT_SIZE),
              sizeof value);
  return value;
}

void IntArray::resize(std::uint32_t size) {
  void *moved = services().reallocate(m_block.get(), size);
  static_cast<void>(m_block.release());
  m_block = Block(moved);
}

void IntArray::append(std::int32_t value) {
  void *block = m_block.release();
  // Makes sure the variable holds an array block (an empty one if none).
  services().runtime_utility(QX_UTILITY_PREPARE_ARRAY, QX_INTEGER_ELEMENT_SIZE,
                             std::bit_cast<std::uintptr_t>(&block));
  m_block = Block(block);
  const ArrayElements old = array_elements(block);
  auto *bytes = static_cast<unsigned char *>(block);
  const std::size_t old_header = static_cast<std::size_t>(old.first - bytes);
  const std::size_t count = static_cast<std::size_t>(old.count);
  const std::size_t old_size = old_header + QX_INTEGER_ELEMENT_SIZE * count;
  const std::size_t new_size = 8 + QX_INTEGER_ELEMENT_SIZE * (count + 1);
  if (new_size > std::numeric_limits<std::uint32_t>::max() ||
      count + 1 > std::size_t(std::numeric_limits<std::int32_t>::max()))
    violated("array too large to append to");
  // Room for both layouts while the elements move down behind a
  // one-dimensional header, then the exact size. The block stays owned
  // while reallocate runs, so a runtime error cannot leak it.
  resize(static_cast<std::uint32_t>(std::max(old_size, new_size)));
  bytes = static_cast<unsigned char *>(m_block.get());
  std::memmove(bytes + 8, bytes + old_header, QX_INTEGER_ELEMENT_SIZE * count);
  write_word(bytes, 1);
  write_word(bytes + 4, static_cast<std::uint32_t>(count + 1));
  resize(static_cast<std::uint32_t>(new_size));
  bytes = static_cast<unsigned char *>(m_block.get());
  std::memcpy(bytes + 8 + QX_INTEGER_ELEMENT_SIZE * count, &value,
              sizeof value);
}

// ---- Constants ------------------------------------------------------------

const char *const_text(std::uint32_t offset) {
  if (offset >= g_const_size ||
      !std::memchr(g_const_data + offset, 0, g_const_size - offset))
    violated("constant text outside the const section");
  return reinterpret_cast<const char *>(g_const_data + offset);
}

double const_double(std::uint32_t offset) {
  if (g_const_size < 8 || offset > g_const_size - 8)
    violated("constant double outside the const section");
  double value = 0;
  std::memcpy(&value, g_const_data + offset, sizeof value);
  return value;
}

// ---- Support routines ------------------------------------------------------

int text_compare(const char *a, const char *b) {
  const auto *left = reinterpret_cast<const unsigned char *>(or_empty(a));
  const auto *right = reinterpret_cast<const unsigned char *>(or_empty(b));
  for (;; ++left, ++right) {
    if (*left != *right)
      return *left < *right ? -1 : 1;
    if (*left == 0)
      return 0;
  }
}

std::int32_t double_to_int32(double value) {
  return rt::text::truncate_to_int32(value);
}

std::int32_t text_length(const char *text) {
  return text ? static_cast<std::int32_t>(std::strlen(text)) : 0;
}

Text concat(std::initializer_list<const char *> pieces) {
  std::size_t total = 0;
  for (const char *piece : pieces)
    total += std::strlen(or_empty(piece));
  if (total >= std::numeric_limits<std::uint32_t>::max())
    violated("concatenation too long for a runtime block");
  auto *bytes = static_cast<char *>(
      services().allocate(static_cast<std::uint32_t>(total + 1)));
  char *end = bytes;
  for (const char *piece : pieces) {
    const std::size_t length = std::strlen(or_empty(piece));
    if (length != 0)
      std::memcpy(end, piece, length);
    end += length;
  }
  *end = '\0';
  return Text(bytes);
}

std::int32_t element_count(const void *array) {
  if (!array)
    violated("element count of a null array");
  const auto *bytes = static_cast<const unsigned char *>(array);
  const std::uint32_t dims = read_word(bytes);
  if (dims == 0)
    return 0;
  std::int64_t count = 1;
  for (std::uint32_t i = 0; i < dims; ++i) {
    count *= read_word(bytes + 4 + 4 * std::size_t{i});
    if (count > std::numeric_limits<std::int32_t>::max())
      violated("array element count beyond the 32-bit range");
  }
  return static_cast<std::int32_t>(count);
}

ArrayElements array_elements(void *array) {
  if (!array)
    return {};
  auto *bytes = static_cast<unsigned char *>(array);
  return {element_count(array), bytes + 4 + 4 * std::size_t{read_word(bytes)}};
}

void *element_address(void *array, std::int32_t index,
                      std::size_t element_size) {
  const ArrayElements elements = array_elements(array);
  if (index < 1)
    raise_runtime_error(QX_ERROR_INDEX_BELOW_ONE);
  if (index - 1 >= elements.count)
    raise_runtime_error(QX_ERROR_INDEX_PAST_END);
  return elements.first + element_size * std::size_t(index - 1);
}

// ---- Services
// ----------------------------------------------------------------

void raise_runtime_error(std::int32_t code) {
  services().raise_runtime_error(code);
  violated("raise_runtime_error returned");
}

void end_program(std::int32_t code) {
  services().end_program(code);
  violated("end_program returned");
}

void message_loop() { services().message_loop(0); }

void load_window(std::uint32_t window) { services().load_window(window); }

void register_routine(QxRoutineFn routine) {
  services().runtime_utility(QX_UTILITY_REGISTER_ROUTINE,
                             std::bit_cast<std::uintptr_t>(routine), 0);
}

Text read_text(std::uint32_t control) {
  return as_text(services().read_property(QX_MAIN_WINDOW, control, QX_PROP_TEXT,
                                          QX_ELEMENT_WHOLE));
}

void write_text(std::uint32_t control, const char *gbk) {
  const auto bits = std::bit_cast<std::uintptr_t>(gbk);
  services().write_property(
      QX_MAIN_WINDOW, control, QX_PROP_TEXT, QX_ELEMENT_WHOLE,
      static_cast<std::uint32_t>(bits),
      static_cast<std::uint32_t>(std::uint64_t{bits} >> 32));
}

bool read_visible(std::uint32_t control) {
  return services().read_property(QX_MAIN_WINDOW, control, QX_PROP_VISIBLE,
                                  QX_ELEMENT_WHOLE) != 0;
}

void write_visible(std::uint32_t control, bool visible) {
  services().write_property(QX_MAIN_WINDOW, control, QX_PROP_VISIBLE,
                            QX_ELEMENT_WHOLE, visible ? 1 : 0, 0);
}

void write_disabled(std::uint32_t control, bool disabled) {
  services().write_property(QX_MAIN_WINDOW, control, QX_PROP_DISABLED,
                            QX_ELEMENT_WHOLE, disabled ? 1 : 0, 0);
}

std::int32_t read_selection(std::uint32_t control) {
  return as_integer(services().read_property(
      QX_MAIN_WINDOW, control, QX_PROP_SELECTION, QX_ELEMENT_WHOLE));
}

void show_working(std::uint32_t control, const doc::Document &working) {
  const std::vector<std::uint8_t> bytes = doc::encode(working);
  if (std::uint64_t{bytes.size()} > std::numeric_limits<std::uint32_t>::max())
    violated("document too large for the runtime");
  services().show_document(QX_MAIN_WINDOW, control, bytes.data(),
                           static_cast<std::uint32_t>(bytes.size()));
}

void show_guide(std::uint32_t control) { show_working(control, {}); }

// ---- Commands --------------------------------------------------------------

double integer_divide(double a, double b) {
  return as_double(Record().real(a).real(b).call(QX_CMD_INTEGER_DIVIDE));
}

double remainder(double a, double b) {
  return as_double(Record().real(a).real(b).call(QX_CMD_REMAINDER));
}

std::int32_t sign_of(double value) {
  return as_integer(Record().real(value).call(QX_CMD_SIGN_OF));
}

double absolute_value(double value) {
  return as_double(Record().real(value).call(QX_CMD_ABSOLUTE_VALUE));
}

double round_number(double value) {
  return as_double(Record().real(value).omitted().call(QX_CMD_ROUND_NUMBER));
}

double power(double base, double exponent) {
  return as_double(Record().real(base).real(exponent).call(QX_CMD_POWER));
}

double square_root(double value) {
  return as_double(Record().real(value).call(QX_CMD_SQUARE_ROOT));
}

void set_random_seed() { Record().omitted().call(QX_CMD_SET_RANDOM_SEED); }

std::int32_t random_integer(std::int32_t min, std::int32_t max) {
  return as_integer(
      Record().integer(min).integer(max).call(QX_CMD_RANDOM_INTEGER));
}

Text get_environment_variable(const char *name) {
  return as_text(Record().text(name).call(QX_CMD_GET_ENVIRONMENT_VARIABLE));
}

std::int32_t command_text_length(const char *text) {
  return as_integer(Record().text(text).call(QX_CMD_TEXT_LENGTH));
}

Text left_text(const char *text, std::int32_t count) {
  return as_text(Record().text(text).integer(count).call(QX_CMD_LEFT_TEXT));
}

Text right_text(const char *text, std::int32_t count) {
  return as_text(Record().text(text).integer(count).call(QX_CMD_RIGHT_TEXT));
}

std::int32_t find_text(const char *text, const char *sought) {
  return as_integer(
      Record().text(text).text(sought).omitted().logical(false).call(
          QX_CMD_FIND_TEXT));
}

double text_to_number(const char *text) {
  return as_double(Record().text(text).call(QX_CMD_TEXT_TO_NUMBER));
}

Text to_text(std::int32_t value) {
  return as_text(Record().integer(value).call(QX_CMD_TO_TEXT));
}

Text to_text(double value) {
  return as_text(Record().real(value).call(QX_CMD_TO_TEXT));
}

Text remove_blanks(const char *text) {
  return as_text(Record().text(text).call(QX_CMD_REMOVE_BLANKS));
}

Text repeat_text(std::int32_t count, const char *text) {
  return as_text(Record().integer(count).text(text).call(QX_CMD_REPEAT_TEXT));
}

TextArray split_text(const char *text, const char *separator) {
  return TextArray(address<void>(
      Record().text(text).text(separator).omitted().call(QX_CMD_SPLIT_TEXT)));
}

void run_program(const char *command_line) {
  Record().text(command_line).logical(false).omitted().call(QX_CMD_RUN_PROGRAM);
}

void message_box(const char *text, std::int32_t flags) {
  Record().text(text).integer(flags).omitted().call(QX_CMD_MESSAGE_BOX);
}

std::int32_t get_item_value(std::uint32_t control, std::uint32_t unit_type,
                            std::int32_t index) {
  return as_integer(Record()
                        .control(QX_MAIN_WINDOW, control, unit_type)
                        .integer(index)
                        .call(QX_CMD_GET_ITEM_VALUE));
}

std::int32_t to_integer(const char *text) {
  return as_integer(Record().text(text).call(QX_CMD_TO_INTEGER));
}

std::int32_t to_integer(double value) {
  return as_integer(Record().real(value).call(QX_CMD_TO_INTEGER));
}

} // namespace qx::sdk
