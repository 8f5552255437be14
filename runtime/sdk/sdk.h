// The program side's typed wrapper over the runtime: services, commands,
// constants and owned blocks.
//
// Program code (the image's routines) reaches the runtime only through these
// functions. They build the argument records, call the service table the
// runtime handed over at bind time, convert results back, and wrap every
// returned block in an owner that frees it, so a routine cannot leak a text.
// Texts are GBK bytes throughout; a null text reads as "".
#pragma once

#include "base/qx_abi.h"
#include "document/document.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <utility>

namespace qx::sdk {

// ---- Binding ------------------------------------------------------------

// Accepts the link block that the runtime relocated: checks the service
// table's size and version (the handshake) and remembers the table and the
// const data. Returns false, binding nothing, when the table is older or
// smaller than this program needs or a pointer is null.
bool bind(const QxLinkBlock *link);
// True after a successful bind.
bool is_bound();
// The bound table; asserts that bind succeeded.
const QxServiceTable &services();

// ---- Owned blocks -----------------------------------------------------

// Owns one runtime block and frees it through the service table.
class Block {
public:
  Block() = default;
  explicit Block(void *adopted) : m_block(adopted) {}
  Block(Block &&other) noexcept
      : m_block(std::exchange(other.m_block, nullptr)) {}
  Block &operator=(Block &&other) noexcept;
  Block(const Block &) = delete;
  Block &operator=(const Block &) = delete;
  ~Block();

  void *get() const { return m_block; }
  void *release() { return std::exchange(m_block, nullptr); }
  explicit operator bool() const { return m_block != nullptr; }

private:
  void *m_block = nullptr;
};

// An owned text: a runtime block of GBK bytes and a terminating zero, or
// null (the empty text).
class Text {
public:
  Text() = default;
  explicit Text(char *adopted) : m_block(adopted) {}
  // A fresh runtime copy of `gbk`.
  static Text copy_of(std::string_view gbk);

  // Never null: "" for the null text.
  const char *c_str() const;
  std::string_view view() const { return c_str(); }
  bool empty() const { return view().empty(); }
  bool is_null() const { return !m_block; }
  char *release() { return static_cast<char *>(m_block.release()); }

private:
  Block m_block;
};

// An owned one-dimensional array of owned texts (split_text's result).
// Freeing it frees each non-null element first, then the array block.
class TextArray {
public:
  TextArray() = default;
  explicit TextArray(void *adopted) : m_block(adopted) {}
  TextArray(TextArray &&) noexcept = default;
  TextArray &operator=(TextArray &&other) noexcept;
  ~TextArray();

  // Element count: the product of the dimension sizes; 0 for null.
  std::int32_t size() const;
  // The element at 1-based `index`, not owned; raises runtime error 4 below
  // 1 and 1 past the end (never returns then).
  std::string_view at(std::int32_t index) const;

private:
  Block m_block;
};

// An owned one-dimensional array of 32-bit integers.
class IntArray {
public:
  IntArray() = default;
  explicit IntArray(void *adopted) : m_block(adopted) {}
  // A fresh runtime copy of a constant array of the const section, header
  // and elements.
  static IntArray copy_of_constant(std::uint32_t const_offset);
  // A fresh array of the shape of a constant array header that carries no
  // elements (such as {1, 3}), its elements zero.
  static IntArray of_constant_shape(std::uint32_t const_offset);

  std::int32_t size() const;
  // 1-based access with runtime errors 4 (below 1) and 1 (past the end).
  std::int32_t at(std::int32_t index) const;
  // Appends one element, growing the block through runtime_utility 2 and
  // reallocate.
  void append(std::int32_t value);

private:
  void resize(std::uint32_t size);

  Block m_block;
};

// ---- Constants of the image ---------------------------------------------

// Items of the loaded const section by offset (see program/const_pool.h).
// Never freed. An offset outside the section is a programming error.
const char *const_text(std::uint32_t offset);
double const_double(std::uint32_t offset);

// ---- Support routines ----------------------------------------------------

// -1, 0 or +1; null equals ""; bytes compared as unsigned.
int text_compare(const char *a, const char *b);
// Truncates toward zero to 64 bits and keeps the low 32 bits; NaN,
// infinities and magnitudes of 2^63 or more give 0.
std::int32_t double_to_int32(double value);
// Bytes before the terminating zero; 0 for null.
std::int32_t text_length(const char *text);
// One fresh text of the pieces in order; null pieces count as empty.
Text concat(std::initializer_list<const char *> pieces);

// Element count of an array block: the product of its dimension sizes, 0
// for a header with no dimensions. `array` must not be null.
std::int32_t element_count(const void *array);
// The element count and the address of the first element; a null array has
// count 0 and no first element.
struct ArrayElements {
  std::int32_t count = 0;
  unsigned char *first = nullptr;
};
ArrayElements array_elements(void *array);
// The address of the element at 1-based `index` of elements `element_size`
// bytes wide: runtime error 4 below 1, 1 past the end (never returns then).
void *element_address(void *array, std::int32_t index,
                      std::size_t element_size);

// ---- Services --------------------------------------------------------------

[[noreturn]] void raise_runtime_error(std::int32_t code);
[[noreturn]] void end_program(std::int32_t code);
void message_loop();
void load_window(std::uint32_t window);
void register_routine(QxRoutineFn routine);

// Properties of a control of the main window.
Text read_text(std::uint32_t control);
void write_text(std::uint32_t control, const char *gbk);
bool read_visible(std::uint32_t control);
void write_visible(std::uint32_t control, bool visible);
void write_disabled(std::uint32_t control, bool disabled);
std::int32_t read_selection(std::uint32_t control);

// The hypertext view `control` of the main window shows `working`, the
// working of the calculation just done (it should end with a ReturnLink
// paragraph); an empty document brings the guide back. The document goes to
// the runtime in its byte form; the view changes only through these calls.
void show_working(std::uint32_t control, const doc::Document &working);
// The hypertext view `control` shows the guide again.
void show_guide(std::uint32_t control);

// ---- Commands ----------------------------------------------------------

double integer_divide(double a, double b);
double remainder(double a, double b);
std::int32_t sign_of(double value);
double absolute_value(double value);
double round_number(double value);
double power(double base, double exponent);
double square_root(double value);
void set_random_seed();
std::int32_t random_integer(std::int32_t min, std::int32_t max);
Text get_environment_variable(const char *name);
std::int32_t command_text_length(const char *text);
Text left_text(const char *text, std::int32_t count);
Text right_text(const char *text, std::int32_t count);
// 1-based byte position of the first match, -1 when absent.
std::int32_t find_text(const char *text, const char *sought);
double text_to_number(const char *text);
Text to_text(std::int32_t value);
Text to_text(double value);
Text remove_blanks(const char *text);
Text repeat_text(std::int32_t count, const char *text);
TextArray split_text(const char *text, const char *separator);
void run_program(const char *command_line);
void message_box(const char *text, std::int32_t flags);
// Item value of a combo box of the main window at `index`.
std::int32_t get_item_value(std::uint32_t control, std::uint32_t unit_type,
                            std::int32_t index);
std::int32_t to_integer(const char *text);
std::int32_t to_integer(double value);

} // namespace qx::sdk
