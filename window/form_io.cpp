// Reads and writes the form section: the byte format of the window
// description.
//
// Each record kind's layout is written once, as a transfer function over a
// direction: `Reading` fills the model from bytes, `Writing` puts the model's
// fields, and both offer the same operations. The reader checks every byte
// that the model does not carry (zero words, kind constants, the 4 of every
// control body, the offsets of records that follow one another without gaps),
// so write(read(bytes)) == bytes for every accepted input, apart from the two
// slot words of the head, whose stored value has no meaning.
#include "window/form_io.h"

#include "base/byte_reader.h"
#include "base/byte_writer.h"

#include <algorithm>
#include <array>
#include <concepts>
#include <string>
#include <string_view>
#include <type_traits>

namespace qx::form {
namespace {

using image::ByteReader;
using image::ByteWriter;
using image::hex;

constexpr std::size_t kHeadSize = 0x24;
constexpr std::uint32_t kFontSize = 60;
constexpr std::uint32_t kControlMarker = 4; // q + 0x00 of every control body

// The unit type code, kind constant and name of each alternative of Props,
// in the variant's order.
struct KindInfo {
  std::uint32_t unit;
  std::uint32_t constant;
  std::string_view name;
};

constexpr std::array<KindInfo, std::variant_size_v<Props>> kKinds = {{
    {QX_UNIT_WINDOW, 6, "window"},
    {QX_UNIT_EDIT_BOX, 2, "edit box"},
    {QX_UNIT_LABEL, 2, "label"},
    {QX_UNIT_BUTTON, 1, "button"},
    {QX_UNIT_CHECK_BOX, 2, "check box"},
    {QX_UNIT_COMBO_BOX, 3, "combo box"},
    {QX_UNIT_TAB_CONTROL, 3, "tab control"},
    {QX_UNIT_HYPERLINK_BOX, 1, "hyperlink box"},
    {QX_UNIT_HYPERTEXT_VIEW, 1, "hypertext view"},
}};

std::string record_context(std::size_t index, std::uint32_t id) {
  return "form record " + std::to_string(index) + " (" + hex(id) + ")";
}

// ---- The two directions ----------------------------------------------------

// Fills fields from bytes. Every read is bounds-checked by the ByteReader; a
// count is checked against the bytes that remain before anything is sized by
// it.
class Reading {
public:
  explicit Reading(ByteReader &in) : in_(in) {}

  void u8(std::uint8_t &value, std::string_view field) {
    value = in_.read_u8(field);
  }
  void u32(std::uint32_t &value, std::string_view field) {
    value = in_.read_u32(field);
  }
  void i32(std::int32_t &value, std::string_view field) {
    value = in_.read_i32(field);
  }
  void zeros(std::size_t count, std::string_view field) {
    in_.expect_zeros(count, field);
  }
  void word(std::uint32_t value, std::string_view field) {
    in_.expect_u32(value, field);
  }
  void cstring(std::string &text, std::string_view field) {
    text = in_.read_cstring(field);
  }
  void counted_text(std::string &text, std::string_view field) {
    text = in_.read_counted_text(field);
  }
  template <std::size_t N>
  void bytes(std::array<std::uint8_t, N> &bytes, std::string_view field) {
    auto stored = in_.read_bytes(N, field);
    std::copy(stored.begin(), stored.end(), bytes.begin());
  }

  // A u32 byte length, then that many bytes.
  void blob(std::vector<std::uint8_t> &bytes, std::string_view length_field,
            std::string_view field) {
    std::size_t start = in_.position();
    std::uint32_t size = in_.read_u32(length_field);
    if (size > in_.remaining())
      fail_past_end(start, length_field, size);
    auto stored = in_.read_bytes(size, field);
    bytes.assign(stored.begin(), stored.end());
  }

  // A u32 element count; each element takes at least `min_size` bytes.
  template <class T>
  void count_u32(std::vector<T> &elements, std::size_t min_size,
                 std::string_view field) {
    std::size_t start = in_.position();
    std::uint32_t count = in_.read_u32(field);
    if (count > in_.remaining() / min_size)
      fail_past_end(start, field, count);
    elements.resize(count);
  }

  // A u16 element count (at most 65535 elements, so no limit is needed).
  template <class T>
  void count_u16(std::vector<T> &elements, std::string_view field) {
    elements.resize(in_.read_u16(field));
  }

  // A u32 byte length of 4-byte elements.
  template <class T>
  void length_of_words(std::vector<T> &elements, std::string_view field) {
    std::size_t start = in_.position();
    std::uint32_t size = in_.read_u32(field);
    if (size % 4 != 0)
      in_.fail_at(start, field, "is " + hex(size) + ", not a multiple of 4");
    if (size > in_.remaining())
      fail_past_end(start, field, size);
    elements.resize(size / 4);
  }

  // A u16 count that repeats the size of a list already transferred.
  template <class T>
  void repeated_count_u16(const std::vector<T> &elements,
                          std::string_view field) {
    std::size_t start = in_.position();
    std::uint16_t count = in_.read_u16(field);
    if (count != elements.size())
      in_.fail_at(start, field,
                  "is " + std::to_string(count) + " but " +
                      std::to_string(elements.size()) +
                      " item values are stored");
  }

  // A u32 length that is either 0 (absent) or `size` (present; `body`
  // transfers the value).
  template <class T, class Body>
  void optional_block(std::optional<T> &value, std::uint32_t size,
                      std::string_view field, Body body) {
    std::size_t start = in_.position();
    std::uint32_t length = in_.read_u32(field);
    if (length == 0) {
      value.reset();
      return;
    }
    if (length != size)
      in_.fail_at(start, field,
                  "is " + hex(length) + "; it is 0 or " + std::to_string(size) +
                      " bytes");
    body(value.emplace());
  }

  // A word count, then the pages' identifiers, each page closed by a zero.
  void child_list(std::vector<std::vector<std::uint32_t>> &pages) {
    std::size_t start = in_.position();
    std::uint32_t count = in_.read_u32("child list length");
    if (count > in_.remaining() / 4)
      fail_past_end(start, "child list length", count);
    pages.clear();
    std::vector<std::uint32_t> page;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint32_t id = in_.read_u32("child list");
      if (id != 0) {
        page.push_back(id);
        continue;
      }
      pages.push_back(std::move(page));
      page.clear();
    }
    if (!page.empty())
      in_.fail("child list", "ends without the zero word that closes a page");
  }

private:
  [[noreturn]] void fail_past_end(std::size_t start, std::string_view field,
                                  std::uint32_t value) const {
    in_.fail_at(start, field,
                "is " + hex(value) + ", which runs past the record end (" +
                    hex(in_.remaining()) + " bytes remain)");
  }

  ByteReader &in_;
};

// Puts fields. Refuses what the format cannot hold (a zero byte inside a
// zero-terminated text, a count wider than its field), naming the record.
class Writing {
public:
  Writing(ByteWriter &out, std::size_t index, std::uint32_t id)
      : out_(out), index_(index), id_(id) {}

  void u8(std::uint8_t value, std::string_view) { out_.put_u8(value); }
  void u32(std::uint32_t value, std::string_view) { out_.put_u32(value); }
  void i32(std::int32_t value, std::string_view) { out_.put_i32(value); }
  void zeros(std::size_t count, std::string_view) { out_.put_zeros(count); }
  void word(std::uint32_t value, std::string_view) { out_.put_u32(value); }
  void cstring(std::string_view text, std::string_view field) {
    if (text.find('\0') != std::string_view::npos)
      fail(std::string(field) + " holds a zero byte, which would end it");
    out_.put_cstring(text);
  }
  void counted_text(std::string_view text, std::string_view) {
    out_.put_counted_text(text);
  }
  template <std::size_t N>
  void bytes(const std::array<std::uint8_t, N> &bytes, std::string_view) {
    out_.put_bytes(bytes);
  }

  void blob(const std::vector<std::uint8_t> &bytes,
            std::string_view length_field, std::string_view) {
    out_.put_u32(image::checked_u32(bytes.size(), length_field));
    out_.put_bytes(bytes);
  }

  template <class T>
  void count_u32(const std::vector<T> &elements, std::size_t,
                 std::string_view field) {
    out_.put_u32(image::checked_u32(elements.size(), field));
  }

  template <class T>
  void count_u16(const std::vector<T> &elements, std::string_view field) {
    out_.put_u16(checked_u16(elements.size(), field));
  }

  template <class T>
  void length_of_words(const std::vector<T> &elements, std::string_view field) {
    // The u16 count that follows bounds the list, so 4 × size fits.
    checked_u16(elements.size(), field);
    out_.put_u32(static_cast<std::uint32_t>(elements.size() * 4));
  }

  template <class T>
  void repeated_count_u16(const std::vector<T> &elements,
                          std::string_view field) {
    out_.put_u16(checked_u16(elements.size(), field));
  }

  template <class T, class Body>
  void optional_block(const std::optional<T> &value, std::uint32_t size,
                      std::string_view, Body body) {
    if (!value) {
      out_.put_u32(0);
      return;
    }
    out_.put_u32(size);
    body(*value);
  }

  void child_list(const std::vector<std::vector<std::uint32_t>> &pages) {
    std::size_t words = 0;
    for (const auto &page : pages) {
      if (std::ranges::find(page, 0u) != page.end())
        fail("a page's child list holds identifier 0, which would close the "
             "page");
      words += page.size() + 1;
    }
    out_.put_u32(image::checked_u32(words, "child list length"));
    for (const auto &page : pages) {
      for (std::uint32_t id : page)
        out_.put_u32(id);
      out_.put_u32(0);
    }
  }

  [[noreturn]] void fail(const std::string &problem) const {
    throw FormatError(record_context(index_, id_) + ": " + problem);
  }

private:
  std::uint16_t checked_u16(std::size_t value, std::string_view field) const {
    if (value > 0xFFFF)
      fail(std::string(field) + " is " + std::to_string(value) +
           ", more than its 16 bits hold");
    return static_cast<std::uint16_t>(value);
  }

  ByteWriter &out_;
  std::size_t index_;
  std::uint32_t id_;
};

// ---- One layout per record kind
// ----------------------------------------------

// `M` is the model type, const when writing.
template <class M, class T>
concept ModelOf = std::same_as<std::remove_const_t<M>, T>;

template <class Io, ModelOf<Font> F> void transfer(Io &io, F &font) {
  io.i32(font.height, "font height");
  io.i32(font.width, "font width");
  io.i32(font.escapement, "font escapement");
  io.i32(font.orientation, "font orientation");
  io.i32(font.weight, "font weight");
  io.u8(font.italic, "font italic");
  io.u8(font.underline, "font underline");
  io.u8(font.strike_out, "font strike-out");
  io.u8(font.char_set, "font character set");
  io.u8(font.out_precision, "font output precision");
  io.u8(font.clip_precision, "font clipping precision");
  io.u8(font.quality, "font quality");
  io.u8(font.pitch_and_family, "font pitch and family");
  io.bytes(font.face_name, "font face name");
}

template <class Io, class F> void transfer_font(Io &io, F &font) {
  io.optional_block(font, kFontSize, "font length",
                    [&](auto &present) { transfer(io, present); });
}

template <class Io, ModelOf<WindowProps> P> void transfer(Io &io, P &props) {
  io.u32(props.attr_18, "window attribute 0x18");
  io.u32(props.attr_1c, "window attribute 0x1C");
  io.u32(props.background, "background colour");
  io.u32(props.attr_24, "window attribute 0x24");
  for (auto &attr : props.attrs_28)
    io.u32(attr, "window attribute 0x28");
  io.zeros(20, "zero words at 0x38");
  io.u32(props.attr_4c, "window attribute 0x4C");
  io.zeros(24, "zero words at 0x50");
  io.blob(props.icon, "icon length", "icon");
  io.word(0, "word after the icon");
  io.counted_text(props.title, "title");
  io.word(0, "word after the title");
}

template <class Io, ModelOf<EditProps> P> void transfer(Io &io, P &props) {
  io.u32(props.border_style, "border style");
  io.u32(props.text_colour, "text colour");
  io.u32(props.background, "background colour");
  io.u32(props.attr_24, "edit attribute 0x24");
  io.zeros(12, "zero words at 0x28");
  io.u32(props.attr_34, "edit attribute 0x34");
  io.u32(props.input_mode, "input mode");
  io.u32(props.password_char, "password mask character");
  io.zeros(10, "zero bytes at 0x40");
  io.u32(props.attr_4a, "edit attribute 0x4A");
  io.zeros(24, "zero bytes at 0x4E");
}

template <class Io, ModelOf<LabelProps> P> void transfer(Io &io, P &props) {
  io.u32(props.attr_18, "label attribute 0x18");
  io.u32(props.attr_1c, "label attribute 0x1C");
  io.u32(props.attr_20, "label attribute 0x20");
  for (auto &colour : props.colours_24)
    io.u32(colour, "first colour triple");
  io.u32(props.text_colour, "text colour");
  io.u32(props.background, "background colour");
  io.u32(props.attr_38, "label attribute 0x38");
  io.u32(props.attr_3c, "label attribute 0x3C");
  for (auto &colour : props.colours_40)
    io.u32(colour, "second colour triple");
  io.u32(props.attr_a, "label attribute A");
  io.u32(props.attr_50, "label attribute 0x50");
  io.u32(props.attr_b, "label attribute B");
  transfer_font(io, props.font);
  io.word(0, "word after the font");
  io.counted_text(props.caption, "caption");
  io.zeros(8, "zero bytes after the caption");
}

template <class Io, ModelOf<ButtonProps> P> void transfer(Io &io, P &props) {
  io.u32(props.attr_18, "button attribute 0x18");
  io.u32(props.attr_1c, "button attribute 0x1C");
  io.u32(props.attr_20, "button attribute 0x20");
  io.zeros(8, "zero words at 0x24");
  io.counted_text(props.caption, "caption");
}

template <class Io, ModelOf<CheckBoxProps> P> void transfer(Io &io, P &props) {
  io.zeros(16, "zero words at 0x18");
  io.u32(props.attr_28, "check box attribute 0x28");
  io.word(0, "zero word at 0x2C");
  io.u32(props.background, "background colour");
  io.u32(props.attr_34, "check box attribute 0x34");
  io.word(0, "zero word at 0x38");
  transfer_font(io, props.font);
  io.counted_text(props.caption, "caption");
  io.zeros(8, "zero bytes after the caption");
}

template <class Io, ModelOf<ComboProps> P> void transfer(Io &io, P &props) {
  io.u32(props.style, "style value");
  io.zeros(16, "zero words at 0x1C");
  io.u32(props.attr_2c, "combo attribute 0x2C");
  io.u32(props.text_colour, "text colour");
  io.u32(props.background, "background colour");
  io.zeros(8, "zero words at 0x38");
  io.length_of_words(props.items, "item value length");
  for (auto &item : props.items)
    io.i32(item.value, "item value");
  io.word(0, "word after the item values");
  io.repeated_count_u16(props.items, "item count");
  for (auto &item : props.items)
    io.counted_text(item.text, "item text");
  io.zeros(12, "zero bytes after the item texts");
}

template <class Io, ModelOf<TabProps> P> void transfer(Io &io, P &props) {
  io.zeros(16, "zero words at 0x18");
  io.u32(props.attr_28, "tab attribute 0x28");
  io.u32(props.background, "background colour");
  transfer_font(io, props.font);
  io.count_u16(props.pages, "page count");
  for (auto &caption : props.pages)
    io.counted_text(caption, "page caption");
}

template <class Io, ModelOf<HyperlinkProps> P> void transfer(Io &io, P &props) {
  io.u32(props.attr_18, "link attribute 0x18");
  for (auto &colour : props.link_colours)
    io.u32(colour, "link colour");
  io.u32(props.background, "background colour");
  io.word(0, "zero word at 0x2C");
  transfer_font(io, props.font);
  io.counted_text(props.caption, "caption");
  io.word(0, "word after the caption");
  io.counted_text(props.target, "target web address");
}

template <class Io, ModelOf<HypertextProps> P> void transfer(Io &io, P &props) {
  io.u32(props.attr_18, "view attribute 0x18");
  io.zeros(8, "zero words at 0x1C");
  io.counted_text(props.address, "web address");
}

// The property block of kind `I`: the reserved start, its kind constant,
// then the kind's own fields.
template <std::size_t I, class Io, class P>
void transfer_block(Io &io, P &props) {
  io.zeros(20, "reserved bytes of the property block");
  io.word(kKinds[I].constant, "kind constant");
  transfer(io, props);
}

// The head every record starts with.
template <class Io, class U, class S>
void transfer_head(Io &io, U &unit, S &name, S &comment) {
  io.u32(unit, "unit type code");
  io.zeros(20, "reserved bytes of the head");
  io.cstring(name, "name");
  io.cstring(comment, "comment");
}

// A menu item's body after the head.
template <class Io, ModelOf<MenuItemRecord> R>
void transfer_body(Io &io, R &item) {
  io.word(0, "word before the level");
  io.u32(item.level, "level");
  io.word(0, "word after the level");
  io.cstring(item.caption, "caption");
  io.u32(item.handler, "handler");
  io.zeros(16, "zero bytes after the handler");
}

// A control's body after the head, up to its property block.
template <class Io, ModelOf<ControlRecord> R>
void transfer_body(Io &io, R &record) {
  io.word(0, "word before the rectangle");
  io.i32(record.rect.left, "left");
  io.i32(record.rect.top, "top");
  io.i32(record.rect.width, "width");
  io.i32(record.rect.height, "height");
  io.word(0, "word after the rectangle");
  io.u32(record.parent, "parent");
  io.child_list(record.pages);
  io.word(kControlMarker, "marker word after the child list");
  io.zeros(9, "zero bytes before the flags");
  io.u32(record.flags, "flags");
  io.word(0, "word after the flags");
  io.count_u32(record.events, 8, "event binding count");
  for (auto &binding : record.events) {
    io.i32(binding.event, "event number");
    io.u32(binding.handler, "event handler");
  }
}

// ---- Reading records
// ---------------------------------------------------------

template <std::size_t I = 0>
Props read_props(Reading &io, ByteReader &in, std::uint32_t unit) {
  if constexpr (I == std::variant_size_v<Props>) {
    in.fail_at(0, "unit type code",
               "is " + hex(unit) + ", not a kind this format knows");
  } else {
    if (kKinds[I].unit != unit)
      return read_props<I + 1>(io, in, unit);
    Props props(std::in_place_index<I>);
    transfer_block<I>(io, std::get<I>(props));
    return props;
  }
}

Record read_record(std::span<const std::uint8_t> body, std::size_t base,
                   std::size_t index, std::uint32_t id) {
  ByteReader in(body, record_context(index, id), base);
  Reading io(in);
  std::uint32_t unit = 0;
  std::string name;
  std::string comment;
  transfer_head(io, unit, name, comment);
  Record record;
  if (unit == QX_UNIT_MENU_ITEM) {
    MenuItemRecord item;
    item.id = id;
    item.name = std::move(name);
    item.comment = std::move(comment);
    transfer_body(io, item);
    record = std::move(item);
  } else {
    ControlRecord control;
    control.id = id;
    control.unit_type = unit;
    control.name = std::move(name);
    control.comment = std::move(comment);
    transfer_body(io, control);
    control.props = read_props(io, in, unit);
    record = std::move(control);
  }
  if (!in.at_end())
    in.fail("record end", "is not reached: " + hex(in.remaining()) +
                              " bytes remain after the last field");
  return record;
}

// ---- Writing records
// ---------------------------------------------------------

template <std::size_t I = 0> void write_props(Writing &io, const Props &props) {
  if constexpr (I < std::variant_size_v<Props>) {
    if (props.index() != I)
      return write_props<I + 1>(io, props);
    transfer_block<I>(io, std::get<I>(props));
  }
}

void write_record(ByteWriter &out, const Record &record, std::size_t index) {
  if (const auto *item = std::get_if<MenuItemRecord>(&record)) {
    Writing io(out, index, item->id);
    const std::uint32_t unit = QX_UNIT_MENU_ITEM;
    transfer_head(io, unit, item->name, item->comment);
    transfer_body(io, *item);
    return;
  }
  const auto &control = std::get<ControlRecord>(record);
  Writing io(out, index, control.id);
  const KindInfo &kind = kKinds[control.props.index()];
  if (control.unit_type != kind.unit)
    io.fail("unit type " + hex(control.unit_type) +
            " does not match its property block (" + std::string(kind.name) +
            ", " + hex(kind.unit) + ")");
  transfer_head(io, control.unit_type, control.name, control.comment);
  transfer_body(io, control);
  write_props(io, control.props);
}

} // namespace
Form read_form(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes, "form section");
  Form form;
  form.leading_word = in.read_u32("leading word");
  form.window_id = in.read_u32("window identifier");
  in.read_u32("first slot word");
  in.read_u32("second slot word");
  form.window_constant = in.read_u32("window constant");
  in.expect_zeros(8, "zero words of the head");
  std::size_t count_offset = in.position();
  std::uint32_t count = in.read_u32("record count");
  std::size_t length_offset = in.position();
  std::uint32_t length = in.read_u32("byte length");
  if (length != in.remaining())
    in.fail_at(length_offset, "byte length",
               "is " + hex(length) + " but " + hex(in.remaining()) +
                   " bytes follow it");
  if (count > in.remaining() / 8)
    in.fail_at(count_offset, "record count",
               "is " + hex(count) + ", too many for the " +
                   hex(in.remaining()) + " bytes that follow");
  std::vector<std::uint32_t> ids(count);
  for (auto &id : ids)
    id = in.read_u32("record identifier");
  std::vector<std::uint32_t> offsets(count);
  for (auto &offset : offsets)
    offset = in.read_u32("record offset");

  std::size_t area_start = in.position();
  ByteReader area(bytes.subspan(area_start), "form record area", area_start);
  form.records.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (offsets[i] != area.position())
      throw FormatError(record_context(i, ids[i]) + ": record offset " +
                        hex(offsets[i]) + " should be " + hex(area.position()) +
                        " (records follow one another without gaps)");
    std::size_t length_position = area.position();
    std::uint32_t body_size = area.read_u32("record body length");
    if (body_size > area.remaining())
      area.fail_at(length_position, "record body length",
                   "of record " + std::to_string(i) + " is " + hex(body_size) +
                       ", which runs past the section end (" +
                       hex(area.remaining()) + " bytes remain)");
    std::size_t body_offset = area.offset();
    form.records.push_back(read_record(area.read_bytes(body_size, "body"),
                                       body_offset, i, ids[i]));
  }
  if (!area.at_end())
    area.fail("record area",
              "has " + hex(area.remaining()) + " bytes after the last record");
  return form;
}

std::vector<std::uint8_t> write_form(const Form &form) {
  std::vector<std::vector<std::uint8_t>> bodies;
  bodies.reserve(form.records.size());
  for (std::size_t i = 0; i < form.records.size(); ++i) {
    ByteWriter body;
    write_record(body, form.records[i], i);
    bodies.push_back(body.take());
  }

  ByteWriter out;
  out.put_u32(form.leading_word);
  out.put_u32(form.window_id);
  out.put_u32(0); // slot words
  out.put_u32(0);
  out.put_u32(form.window_constant);
  out.put_zeros(8);
  out.put_u32(image::checked_u32(form.records.size(), "record count"));
  std::size_t length_position = out.size();
  out.put_u32(0);
  for (const Record &record : form.records)
    out.put_u32(std::visit([](const auto &r) { return r.id; }, record));
  std::size_t offset = 0;
  for (const auto &body : bodies) {
    out.put_u32(image::checked_u32(offset, "record offset"));
    offset += 4 + body.size();
  }
  for (const auto &body : bodies) {
    out.put_u32(image::checked_u32(body.size(), "record body length"));
    out.put_bytes(body);
  }
  out.patch_u32(length_position,
                image::checked_u32(out.size() - kHeadSize, "byte length"));
  return out.take();
}

} // namespace qx::form
