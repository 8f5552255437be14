// Reads and writes the form section: the byte format of the window
// description.
//
// The reader accepts exactly what the writer can produce again: every byte
// that the model does not carry (zero words, kind constants, the 4 of every
// control body, the offsets of records that follow one another without gaps)
// is checked, so write(read(bytes)) == bytes for every accepted input, apart
// from the two slot words of the head, whose stored value has no meaning.
#include "window/form_io.h"

#include "image/byte_reader.h"
#include "image/byte_writer.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

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

// ---- Reading -------------------------------------------------------------

void read_block_start(ByteReader &in, std::uint32_t constant) {
  in.expect_zeros(20, "reserved bytes of the property block");
  in.expect_u32(constant, "kind constant");
}

std::optional<Font> read_font(ByteReader &in) {
  std::size_t start = in.position();
  std::uint32_t length = in.read_u32("font length");
  if (length == 0)
    return std::nullopt;
  if (length != kFontSize)
    in.fail_at(start, "font length",
               "is " + hex(length) + "; a font is 0 or 60 bytes");
  Font font;
  font.height = in.read_i32("font height");
  font.width = in.read_i32("font width");
  font.escapement = in.read_i32("font escapement");
  font.orientation = in.read_i32("font orientation");
  font.weight = in.read_i32("font weight");
  font.italic = in.read_u8("font italic");
  font.underline = in.read_u8("font underline");
  font.strike_out = in.read_u8("font strike-out");
  font.char_set = in.read_u8("font character set");
  font.out_precision = in.read_u8("font output precision");
  font.clip_precision = in.read_u8("font clipping precision");
  font.quality = in.read_u8("font quality");
  font.pitch_and_family = in.read_u8("font pitch and family");
  auto face = in.read_bytes(font.face_name.size(), "font face name");
  std::copy(face.begin(), face.end(), font.face_name.begin());
  return font;
}

WindowProps read_window_props(ByteReader &in) {
  WindowProps props;
  read_block_start(in, kKinds[0].constant);
  props.attr_18 = in.read_u32("window attribute 0x18");
  props.attr_1c = in.read_u32("window attribute 0x1C");
  props.background = in.read_u32("background colour");
  props.attr_24 = in.read_u32("window attribute 0x24");
  for (auto &attr : props.attrs_28)
    attr = in.read_u32("window attribute 0x28");
  in.expect_zeros(20, "zero words at 0x38");
  props.attr_4c = in.read_u32("window attribute 0x4C");
  in.expect_zeros(24, "zero words at 0x50");
  std::size_t start = in.position();
  std::uint32_t icon_size = in.read_u32("icon length");
  if (icon_size > in.remaining())
    in.fail_at(start, "icon length",
               "is " + hex(icon_size) + ", which runs past the record end (" +
                   hex(in.remaining()) + " bytes remain)");
  auto icon = in.read_bytes(icon_size, "icon");
  props.icon.assign(icon.begin(), icon.end());
  in.expect_u32(0, "word after the icon");
  props.title = in.read_counted_text("title");
  in.expect_u32(0, "word after the title");
  return props;
}

EditProps read_edit_props(ByteReader &in) {
  EditProps props;
  read_block_start(in, kKinds[1].constant);
  props.border_style = in.read_u32("border style");
  props.text_colour = in.read_u32("text colour");
  props.background = in.read_u32("background colour");
  props.attr_24 = in.read_u32("edit attribute 0x24");
  in.expect_zeros(12, "zero words at 0x28");
  props.attr_34 = in.read_u32("edit attribute 0x34");
  props.input_mode = in.read_u32("input mode");
  props.password_char = in.read_u32("password mask character");
  in.expect_zeros(10, "zero bytes at 0x40");
  props.attr_4a = in.read_u32("edit attribute 0x4A");
  in.expect_zeros(24, "zero bytes at 0x4E");
  return props;
}

LabelProps read_label_props(ByteReader &in) {
  LabelProps props;
  read_block_start(in, kKinds[2].constant);
  props.attr_18 = in.read_u32("label attribute 0x18");
  props.attr_1c = in.read_u32("label attribute 0x1C");
  props.attr_20 = in.read_u32("label attribute 0x20");
  for (auto &colour : props.colours_24)
    colour = in.read_u32("first colour triple");
  props.text_colour = in.read_u32("text colour");
  props.background = in.read_u32("background colour");
  props.attr_38 = in.read_u32("label attribute 0x38");
  props.attr_3c = in.read_u32("label attribute 0x3C");
  for (auto &colour : props.colours_40)
    colour = in.read_u32("second colour triple");
  props.attr_a = in.read_u32("label attribute A");
  props.attr_50 = in.read_u32("label attribute 0x50");
  props.attr_b = in.read_u32("label attribute B");
  props.font = read_font(in);
  in.expect_u32(0, "word after the font");
  props.caption = in.read_counted_text("caption");
  in.expect_zeros(8, "zero bytes after the caption");
  return props;
}

ButtonProps read_button_props(ByteReader &in) {
  ButtonProps props;
  read_block_start(in, kKinds[3].constant);
  props.attr_18 = in.read_u32("button attribute 0x18");
  props.attr_1c = in.read_u32("button attribute 0x1C");
  props.attr_20 = in.read_u32("button attribute 0x20");
  in.expect_zeros(8, "zero words at 0x24");
  props.caption = in.read_counted_text("caption");
  return props;
}

CheckBoxProps read_check_box_props(ByteReader &in) {
  CheckBoxProps props;
  read_block_start(in, kKinds[4].constant);
  in.expect_zeros(16, "zero words at 0x18");
  props.attr_28 = in.read_u32("check box attribute 0x28");
  in.expect_u32(0, "zero word at 0x2C");
  props.background = in.read_u32("background colour");
  props.attr_34 = in.read_u32("check box attribute 0x34");
  in.expect_u32(0, "zero word at 0x38");
  props.font = read_font(in);
  props.caption = in.read_counted_text("caption");
  in.expect_zeros(8, "zero bytes after the caption");
  return props;
}

ComboProps read_combo_props(ByteReader &in) {
  ComboProps props;
  read_block_start(in, kKinds[5].constant);
  props.style = in.read_u32("style value");
  in.expect_zeros(16, "zero words at 0x1C");
  props.attr_2c = in.read_u32("combo attribute 0x2C");
  props.text_colour = in.read_u32("text colour");
  props.background = in.read_u32("background colour");
  in.expect_zeros(8, "zero words at 0x38");
  std::size_t start = in.position();
  std::uint32_t values_size = in.read_u32("item value length");
  if (values_size % 4 != 0)
    in.fail_at(start, "item value length",
               "is " + hex(values_size) + ", not a multiple of 4");
  if (values_size > in.remaining())
    in.fail_at(start, "item value length",
               "is " + hex(values_size) + ", which runs past the record end (" +
                   hex(in.remaining()) + " bytes remain)");
  props.items.resize(values_size / 4);
  for (auto &item : props.items)
    item.value = in.read_i32("item value");
  in.expect_u32(0, "word after the item values");
  start = in.position();
  std::uint16_t count = in.read_u16("item count");
  if (count != props.items.size())
    in.fail_at(start, "item count",
               "is " + std::to_string(count) + " but " +
                   std::to_string(props.items.size()) +
                   " item values are stored");
  for (auto &item : props.items)
    item.text = in.read_counted_text("item text");
  in.expect_zeros(12, "zero bytes after the item texts");
  return props;
}

TabProps read_tab_props(ByteReader &in) {
  TabProps props;
  read_block_start(in, kKinds[6].constant);
  in.expect_zeros(16, "zero words at 0x18");
  props.attr_28 = in.read_u32("tab attribute 0x28");
  props.background = in.read_u32("background colour");
  props.font = read_font(in);
  std::uint16_t count = in.read_u16("page count");
  props.pages.reserve(std::min<std::size_t>(count, in.remaining() / 4));
  for (std::uint16_t page = 0; page < count; ++page)
    props.pages.push_back(in.read_counted_text("page caption"));
  return props;
}

HyperlinkProps read_hyperlink_props(ByteReader &in) {
  HyperlinkProps props;
  read_block_start(in, kKinds[7].constant);
  props.attr_18 = in.read_u32("link attribute 0x18");
  for (auto &colour : props.link_colours)
    colour = in.read_u32("link colour");
  props.background = in.read_u32("background colour");
  in.expect_u32(0, "zero word at 0x2C");
  props.font = read_font(in);
  props.caption = in.read_counted_text("caption");
  in.expect_u32(0, "word after the caption");
  props.target = in.read_counted_text("target web address");
  return props;
}

HypertextProps read_hypertext_props(ByteReader &in) {
  HypertextProps props;
  read_block_start(in, kKinds[8].constant);
  props.attr_18 = in.read_u32("view attribute 0x18");
  in.expect_zeros(8, "zero words at 0x1C");
  props.address = in.read_counted_text("web address");
  return props;
}

Props read_props(ByteReader &in, std::uint32_t unit) {
  switch (unit) {
  case QX_UNIT_WINDOW:
    return read_window_props(in);
  case QX_UNIT_EDIT_BOX:
    return read_edit_props(in);
  case QX_UNIT_LABEL:
    return read_label_props(in);
  case QX_UNIT_BUTTON:
    return read_button_props(in);
  case QX_UNIT_CHECK_BOX:
    return read_check_box_props(in);
  case QX_UNIT_COMBO_BOX:
    return read_combo_props(in);
  case QX_UNIT_TAB_CONTROL:
    return read_tab_props(in);
  case QX_UNIT_HYPERLINK_BOX:
    return read_hyperlink_props(in);
  case QX_UNIT_HYPERTEXT_VIEW:
    return read_hypertext_props(in);
  default:
    in.fail_at(0, "unit type code",
               "is " + hex(unit) + ", not a kind this format knows");
  }
}

MenuItemRecord read_menu_item(ByteReader &in, std::uint32_t id,
                              std::string name, std::string comment) {
  MenuItemRecord item;
  item.id = id;
  item.name = std::move(name);
  item.comment = std::move(comment);
  in.expect_u32(0, "word before the level");
  item.level = in.read_u32("level");
  in.expect_u32(0, "word after the level");
  item.caption = in.read_cstring("caption");
  item.handler = in.read_u32("handler");
  in.expect_zeros(16, "zero bytes after the handler");
  return item;
}

// Splits a child list at its zero words; every page's run is closed by one.
std::vector<std::vector<std::uint32_t>> read_child_list(ByteReader &in) {
  std::size_t start = in.position();
  std::uint32_t count = in.read_u32("child list length");
  if (count > in.remaining() / 4)
    in.fail_at(start, "child list length",
               "is " + hex(count) + ", which runs past the record end (" +
                   hex(in.remaining()) + " bytes remain)");
  std::vector<std::vector<std::uint32_t>> pages;
  std::vector<std::uint32_t> page;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t id = in.read_u32("child list");
    if (id != 0) {
      page.push_back(id);
      continue;
    }
    pages.push_back(std::move(page));
    page.clear();
  }
  if (!page.empty())
    in.fail("child list", "ends without the zero word that closes a page");
  return pages;
}

ControlRecord read_control(ByteReader &in, std::uint32_t id, std::uint32_t unit,
                           std::string name, std::string comment) {
  ControlRecord record;
  record.id = id;
  record.unit_type = unit;
  record.name = std::move(name);
  record.comment = std::move(comment);
  in.expect_u32(0, "word before the rectangle");
  record.rect.left = in.read_i32("left");
  record.rect.top = in.read_i32("top");
  record.rect.width = in.read_i32("width");
  record.rect.height = in.read_i32("height");
  in.expect_u32(0, "word after the rectangle");
  record.parent = in.read_u32("parent");
  record.pages = read_child_list(in);
  in.expect_u32(kControlMarker, "marker word after the child list");
  in.expect_zeros(9, "zero bytes before the flags");
  record.flags = in.read_u32("flags");
  in.expect_u32(0, "word after the flags");
  std::size_t start = in.position();
  std::uint32_t count = in.read_u32("event binding count");
  if (count > in.remaining() / 8)
    in.fail_at(start, "event binding count",
               "is " + hex(count) + ", which runs past the record end (" +
                   hex(in.remaining()) + " bytes remain)");
  record.events.resize(count);
  for (auto &binding : record.events) {
    binding.event = in.read_i32("event number");
    binding.handler = in.read_u32("event handler");
  }
  record.props = read_props(in, unit);
  return record;
}

Record read_record(std::span<const std::uint8_t> body, std::size_t base,
                   std::size_t index, std::uint32_t id) {
  ByteReader in(body, record_context(index, id), base);
  std::uint32_t unit = in.read_u32("unit type code");
  in.expect_zeros(20, "reserved bytes of the head");
  std::string name = in.read_cstring("name");
  std::string comment = in.read_cstring("comment");
  Record record =
      unit == QX_UNIT_MENU_ITEM
          ? Record(read_menu_item(in, id, std::move(name), std::move(comment)))
          : Record(read_control(in, id, unit, std::move(name),
                                std::move(comment)));
  if (!in.at_end())
    in.fail("record end", "is not reached: " + hex(in.remaining()) +
                              " bytes remain after the last field");
  return record;
}

// ---- Writing -------------------------------------------------------------

[[noreturn]] void fail_record(std::size_t index, std::uint32_t id,
                              const std::string &problem) {
  throw FormatError(record_context(index, id) + ": " + problem);
}

void put_block_start(ByteWriter &out, const Props &props) {
  out.put_zeros(20);
  out.put_u32(kKinds[props.index()].constant);
}

void put_font(ByteWriter &out, const std::optional<Font> &font) {
  if (!font) {
    out.put_u32(0);
    return;
  }
  out.put_u32(kFontSize);
  out.put_i32(font->height);
  out.put_i32(font->width);
  out.put_i32(font->escapement);
  out.put_i32(font->orientation);
  out.put_i32(font->weight);
  for (std::uint8_t byte :
       {font->italic, font->underline, font->strike_out, font->char_set,
        font->out_precision, font->clip_precision, font->quality,
        font->pitch_and_family})
    out.put_u8(byte);
  out.put_bytes(font->face_name);
}

void put_props(ByteWriter &out, const WindowProps &props) {
  out.put_u32(props.attr_18);
  out.put_u32(props.attr_1c);
  out.put_u32(props.background);
  out.put_u32(props.attr_24);
  for (std::uint32_t attr : props.attrs_28)
    out.put_u32(attr);
  out.put_zeros(20);
  out.put_u32(props.attr_4c);
  out.put_zeros(24);
  out.put_u32(image::checked_u32(props.icon.size(), "icon length"));
  out.put_bytes(props.icon);
  out.put_u32(0);
  out.put_counted_text(props.title);
  out.put_u32(0);
}

void put_props(ByteWriter &out, const EditProps &props) {
  out.put_u32(props.border_style);
  out.put_u32(props.text_colour);
  out.put_u32(props.background);
  out.put_u32(props.attr_24);
  out.put_zeros(12);
  out.put_u32(props.attr_34);
  out.put_u32(props.input_mode);
  out.put_u32(props.password_char);
  out.put_zeros(10);
  out.put_u32(props.attr_4a);
  out.put_zeros(24);
}

void put_props(ByteWriter &out, const LabelProps &props) {
  out.put_u32(props.attr_18);
  out.put_u32(props.attr_1c);
  out.put_u32(props.attr_20);
  for (std::uint32_t colour : props.colours_24)
    out.put_u32(colour);
  out.put_u32(props.text_colour);
  out.put_u32(props.background);
  out.put_u32(props.attr_38);
  out.put_u32(props.attr_3c);
  for (std::uint32_t colour : props.colours_40)
    out.put_u32(colour);
  out.put_u32(props.attr_a);
  out.put_u32(props.attr_50);
  out.put_u32(props.attr_b);
  put_font(out, props.font);
  out.put_u32(0);
  out.put_counted_text(props.caption);
  out.put_zeros(8);
}

void put_props(ByteWriter &out, const ButtonProps &props) {
  out.put_u32(props.attr_18);
  out.put_u32(props.attr_1c);
  out.put_u32(props.attr_20);
  out.put_zeros(8);
  out.put_counted_text(props.caption);
}

void put_props(ByteWriter &out, const CheckBoxProps &props) {
  out.put_zeros(16);
  out.put_u32(props.attr_28);
  out.put_u32(0);
  out.put_u32(props.background);
  out.put_u32(props.attr_34);
  out.put_u32(0);
  put_font(out, props.font);
  out.put_counted_text(props.caption);
  out.put_zeros(8);
}

void put_props(ByteWriter &out, const ComboProps &props) {
  out.put_u32(props.style);
  out.put_zeros(16);
  out.put_u32(props.attr_2c);
  out.put_u32(props.text_colour);
  out.put_u32(props.background);
  out.put_zeros(8);
  if (props.items.size() > 0xFFFF)
    throw FormatError("combo box with " + std::to_string(props.items.size()) +
                      " items; the item count is 16 bits");
  out.put_u32(static_cast<std::uint32_t>(props.items.size() * 4));
  for (const ComboItem &item : props.items)
    out.put_i32(item.value);
  out.put_u32(0);
  out.put_u16(static_cast<std::uint16_t>(props.items.size()));
  for (const ComboItem &item : props.items)
    out.put_counted_text(item.text);
  out.put_zeros(12);
}

void put_props(ByteWriter &out, const TabProps &props) {
  out.put_zeros(16);
  out.put_u32(props.attr_28);
  out.put_u32(props.background);
  put_font(out, props.font);
  if (props.pages.size() > 0xFFFF)
    throw FormatError("tab control with " + std::to_string(props.pages.size()) +
                      " pages; the page count is 16 bits");
  out.put_u16(static_cast<std::uint16_t>(props.pages.size()));
  for (const std::string &caption : props.pages)
    out.put_counted_text(caption);
}

void put_props(ByteWriter &out, const HyperlinkProps &props) {
  out.put_u32(props.attr_18);
  for (std::uint32_t colour : props.link_colours)
    out.put_u32(colour);
  out.put_u32(props.background);
  out.put_u32(0);
  put_font(out, props.font);
  out.put_counted_text(props.caption);
  out.put_u32(0);
  out.put_counted_text(props.target);
}

void put_props(ByteWriter &out, const HypertextProps &props) {
  out.put_u32(props.attr_18);
  out.put_zeros(8);
  out.put_counted_text(props.address);
}

void put_nul_text(ByteWriter &out, std::string_view text, std::size_t index,
                  std::uint32_t id, std::string_view field) {
  if (text.find('\0') != std::string_view::npos)
    fail_record(index, id,
                std::string(field) + " holds a zero byte, which would end it");
  out.put_cstring(text);
}

void put_head(ByteWriter &out, std::uint32_t unit, std::string_view name,
              std::string_view comment, std::size_t index, std::uint32_t id) {
  out.put_u32(unit);
  out.put_zeros(20);
  put_nul_text(out, name, index, id, "name");
  put_nul_text(out, comment, index, id, "comment");
}

void put_menu_item(ByteWriter &out, const MenuItemRecord &item,
                   std::size_t index) {
  put_head(out, QX_UNIT_MENU_ITEM, item.name, item.comment, index, item.id);
  out.put_u32(0);
  out.put_u32(item.level);
  out.put_u32(0);
  put_nul_text(out, item.caption, index, item.id, "caption");
  out.put_u32(item.handler);
  out.put_zeros(16);
}

void put_control(ByteWriter &out, const ControlRecord &record,
                 std::size_t index) {
  const KindInfo &kind = kKinds[record.props.index()];
  if (record.unit_type != kind.unit)
    fail_record(index, record.id,
                "unit type " + hex(record.unit_type) +
                    " does not match its property block (" +
                    std::string(kind.name) + ", " + hex(kind.unit) + ")");
  put_head(out, record.unit_type, record.name, record.comment, index,
           record.id);
  out.put_u32(0);
  out.put_i32(record.rect.left);
  out.put_i32(record.rect.top);
  out.put_i32(record.rect.width);
  out.put_i32(record.rect.height);
  out.put_u32(0);
  out.put_u32(record.parent);
  std::size_t words = 0;
  for (const auto &page : record.pages) {
    if (std::ranges::find(page, 0u) != page.end())
      fail_record(index, record.id,
                  "a page's child list holds identifier 0, which would "
                  "close the page");
    words += page.size() + 1;
  }
  out.put_u32(image::checked_u32(words, "child list length"));
  for (const auto &page : record.pages) {
    for (std::uint32_t id : page)
      out.put_u32(id);
    out.put_u32(0);
  }
  out.put_u32(kControlMarker);
  out.put_zeros(9);
  out.put_u32(record.flags);
  out.put_u32(0);
  out.put_u32(image::checked_u32(record.events.size(), "event count"));
  for (const EventBinding &binding : record.events) {
    out.put_i32(binding.event);
    out.put_u32(binding.handler);
  }
  put_block_start(out, record.props);
  std::visit([&](const auto &props) { put_props(out, props); }, record.props);
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
    if (const auto *item = std::get_if<MenuItemRecord>(&form.records[i]))
      put_menu_item(body, *item, i);
    else
      put_control(body, std::get<ControlRecord>(form.records[i]), i);
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
