// Tests of the form section's reader and writer: byte-exact round trips of
// every kind, the layout's edge cases, and rejection of malformed bytes.
#include "base/byte_reader.h"
#include "tests/image/format_test_support.h"
#include "window/form_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

namespace qx::form {
namespace {

using qx::test::put_u32;

using image::load_u32;

constexpr std::uint32_t kTab = 0x16010002;
constexpr std::uint32_t kEdit = 0x16010003;
constexpr std::uint32_t kLabel = 0x16010004;
constexpr std::uint32_t kButton = 0x16010005;
constexpr std::uint32_t kBareLabel = 0x16010006;
constexpr std::uint32_t kLink = 0x16010007;
constexpr std::uint32_t kCheck = 0x16010008;
constexpr std::uint32_t kCombo = 0x16010009;
constexpr std::uint32_t kView = 0x1601000A;
constexpr std::uint32_t kMenu = 0x26010001;
constexpr std::uint32_t kMenuItem = 0x26010002;
constexpr std::uint32_t kSeparator = 0x26010003;

const std::string kSongTi = "\xCB\xCE\xCC\xE5"; // 宋体 in GBK

Font song_font(std::int32_t height) {
  Font font;
  font.height = height;
  std::memcpy(font.face_name.data(), kSongTi.data(), kSongTi.size());
  return font;
}

ControlRecord control(std::uint32_t id, std::uint32_t unit, std::string name,
                      Props props, std::uint32_t parent = 0) {
  ControlRecord record;
  record.id = id;
  record.unit_type = unit;
  record.name = std::move(name);
  record.rect = {10, 20, 30, 40};
  record.parent = parent;
  record.props = std::move(props);
  return record;
}

// One record of every kind, with the edge cases of the format.
Form sample_form() {
  Form form;
  WindowProps window;
  window.icon = {0, 0, 1, 0, 1, 0, 0xFF};
  window.title = "QuadrixV1.0";
  ControlRecord window_record =
      control(QX_WINDOW_RECORD_ID, QX_UNIT_WINDOW, "", window);
  window_record.events = {{0, 0x188}};
  form.records.push_back(window_record);

  TabProps tab;
  tab.pages = {"\xD2\xBB", "", "p3"};
  ControlRecord tab_record = control(kTab, QX_UNIT_TAB_CONTROL, "tab", tab);
  tab_record.pages = {{kEdit, kLabel}, {}, {kButton, kBareLabel}};
  form.records.push_back(tab_record);

  EditProps edit;
  edit.input_mode = kInputDecimal;
  edit.border_style = 3;
  ControlRecord edit_record =
      control(kEdit, QX_UNIT_EDIT_BOX, "\xB1\xE0\xBC\xAD", edit, kTab);
  edit_record.flags = kFlagVisible | kFlagTakesFocus;
  form.records.push_back(edit_record);

  LabelProps label;
  label.font = song_font(-12);
  label.font->face_name[10] = 0x55; // arbitrary bytes after the terminator
  label.caption = "caption";
  label.attr_a = 1;
  label.attr_b = 1;
  ControlRecord label_record =
      control(kLabel, QX_UNIT_LABEL, "label", label, kTab);
  label_record.events = {{-1, 0x98}};
  form.records.push_back(label_record);

  ButtonProps button;
  button.caption = "go";
  ControlRecord button_record =
      control(kButton, QX_UNIT_BUTTON, "button", button, kTab);
  button_record.events = {{0, 0x68}, {1, kNoHandler}};
  form.records.push_back(button_record);

  // No child list, no events, no font, empty caption.
  form.records.push_back(
      control(kBareLabel, QX_UNIT_LABEL, "bare", LabelProps{}, kTab));

  HyperlinkProps link;
  link.caption = "clear";
  ControlRecord link_record =
      control(kLink, QX_UNIT_HYPERLINK_BOX, "link", link);
  link_record.flags = kFlagDisabled;
  form.records.push_back(link_record);

  CheckBoxProps check;
  check.font = song_font(-12);
  check.caption = "home page";
  form.records.push_back(control(kCheck, QX_UNIT_CHECK_BOX, "check", check));

  ComboProps combo;
  combo.items = {{1, "\xA3\xAB"}, {2, "\xA3\xAD"}, {-3, ""}, {4, "x"}};
  form.records.push_back(control(kCombo, QX_UNIT_COMBO_BOX, "combo", combo));

  HypertextProps view;
  view.address = "http://quadrix.invalid/ad1.htm";
  form.records.push_back(control(kView, QX_UNIT_HYPERTEXT_VIEW, "view", view));

  form.records.push_back(MenuItemRecord{kMenu, "", "", 0, "tools", kNoHandler});
  form.records.push_back(MenuItemRecord{kMenuItem, "", "", 1, "calc", 0x1A8});
  form.records.push_back(
      MenuItemRecord{kSeparator, "", "", 1, "-", kNoHandler});
  return form;
}

// Where each record's body starts in the section.
std::vector<std::size_t> body_offsets(const std::vector<std::uint8_t> &bytes) {
  std::uint32_t count = load_u32(bytes, 0x1C);
  std::size_t area = 0x24 + 8 * std::size_t{count};
  std::vector<std::size_t> offsets;
  for (std::uint32_t i = 0; i < count; ++i)
    offsets.push_back(area + load_u32(bytes, 0x24 + 4 * (count + i)) + 4);
  return offsets;
}

// First byte after a control body's comment.
std::size_t after_comment(const std::vector<std::uint8_t> &bytes,
                          std::size_t body) {
  std::size_t p = body + 0x18;
  for (int texts = 0; texts < 2; ++p)
    texts += bytes[p] == 0;
  return p;
}

std::size_t index_of(const Form &form, std::uint32_t id) {
  for (std::size_t i = 0; i < form.records.size(); ++i)
    if (std::visit([](const auto &r) { return r.id; }, form.records[i]) == id)
      return i;
  ADD_FAILURE() << "no record " << id;
  return 0;
}

TEST(FormIo, RoundTripIsByteExact) {
  Form form = sample_form();
  std::vector<std::uint8_t> bytes = write_form(form);
  Form read = read_form(bytes);
  EXPECT_EQ(read, form);
  EXPECT_EQ(write_form(read), bytes);
}

TEST(FormIo, EmptyFormRoundTrips) {
  Form form;
  auto bytes = write_form(form);
  EXPECT_EQ(bytes.size(), 0x24u);
  EXPECT_EQ(read_form(bytes), form);
}

TEST(FormIo, SectionHeadLayout) {
  Form form = sample_form();
  auto bytes = write_form(form);
  const std::uint32_t expected[] = {8, QX_MAIN_WINDOW, 0, 0, 0x1901000A, 0, 0};
  for (std::size_t i = 0; i < std::size(expected); ++i)
    EXPECT_EQ(load_u32(bytes, 4 * i), expected[i]) << "head word " << i;
  EXPECT_EQ(load_u32(bytes, 0x1C), form.records.size());
  EXPECT_EQ(load_u32(bytes, 0x20), bytes.size() - 0x24);
  EXPECT_EQ(load_u32(bytes, 0x24), QX_WINDOW_RECORD_ID);
  EXPECT_EQ(load_u32(bytes, 0x24 + 4 * form.records.size()), 0u);
}

TEST(FormIo, BareRecordHasItsPropertyBlockAtP39) {
  Form form = sample_form();
  auto bytes = write_form(form);
  std::size_t body = body_offsets(bytes)[index_of(form, kBareLabel)];
  std::size_t p = after_comment(bytes, body);
  EXPECT_EQ(load_u32(bytes, p + 0x1C), 0u); // m
  std::size_t q = p + 0x20;
  EXPECT_EQ(load_u32(bytes, q), 4u);
  EXPECT_EQ(load_u32(bytes, q + 0x0D), kFlagVisible);
  EXPECT_EQ(load_u32(bytes, q + 0x15), 0u); // e
  std::size_t block = p + 0x39;
  EXPECT_TRUE(std::all_of(&bytes[block], &bytes[block + 20],
                          [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(load_u32(bytes, block + 0x14), 2u); // a label's kind constant
}

TEST(FormIo, ChildListClosesEveryPageWithZero) {
  Form form = sample_form();
  auto bytes = write_form(form);
  std::size_t p = after_comment(bytes, body_offsets(bytes)[1]);
  const std::uint32_t expected[] = {kEdit,   kLabel,     0, 0,
                                    kButton, kBareLabel, 0};
  ASSERT_EQ(load_u32(bytes, p + 0x1C), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i)
    EXPECT_EQ(load_u32(bytes, p + 0x20 + 4 * i), expected[i]) << "word " << i;
}

TEST(FormIo, EventsAndHandlersAsStored) {
  Form form = sample_form();
  auto bytes = write_form(form);
  auto bodies = body_offsets(bytes);
  // The label's click event -1 is 0xFFFFFFFF.
  std::size_t q = after_comment(bytes, bodies[index_of(form, kLabel)]) + 0x20;
  EXPECT_EQ(load_u32(bytes, q + 0x15), 1u);
  EXPECT_EQ(load_u32(bytes, q + 0x19), 0xFFFFFFFFu);
  EXPECT_EQ(load_u32(bytes, q + 0x1D), 0x98u);
  // A menu item without a handler stores 0xFFFFFFFF, then 16 zero bytes.
  std::size_t menu = bodies[index_of(form, kMenu)];
  std::size_t caption = menu + 0x18 + 2 + 12;
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(&bytes[caption])),
            "tools");
  EXPECT_EQ(load_u32(bytes, caption + 6), kNoHandler);
  EXPECT_EQ(load_u32(bytes, menu - 4), 0x18u + 2 + 12 + 6 + 4 + 16);
}

TEST(FormIo, EmptyCountedTextIsFourZeroBytes) {
  Form form = sample_form();
  auto bytes = write_form(form);
  std::size_t index = index_of(form, kLink);
  std::size_t end = index + 1 < form.records.size()
                        ? body_offsets(bytes)[index + 1] - 4
                        : bytes.size();
  // The link's target, the last field of its record, is empty; the caption
  // and the zero word stand before it.
  EXPECT_EQ(load_u32(bytes, end - 4), 0u);
  EXPECT_EQ(load_u32(bytes, end - 8), 0u);
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(&bytes[end - 13]), 5),
            "clear");
}

TEST(FormIo, FaceNameBytesAfterTheTerminatorAreKeptButNotCompared) {
  Font a = song_font(-12);
  Font b = a;
  b.face_name[20] = 0x7F;
  EXPECT_EQ(a, b);
  b.face_name[1] = 'x';
  EXPECT_NE(a, b);
  Font unterminated = a;
  unterminated.face_name.fill('A');
  EXPECT_NE(a, unterminated);

  Form form = sample_form();
  auto bytes = write_form(form);
  Form read = read_form(bytes);
  const auto &label =
      std::get<LabelProps>(std::get<ControlRecord>(read.records[3]).props);
  EXPECT_EQ(label.font->face_name[10], 0x55);
  EXPECT_EQ(write_form(read), bytes);
}

TEST(FormIo, SlotWordsAreIgnoredAndWrittenAsZero) {
  Form form = sample_form();
  auto bytes = write_form(form);
  auto slotted = bytes;
  put_u32(slotted, 0x08, 0x12345678);
  put_u32(slotted, 0x0C, 0xFFFFFFFF);
  EXPECT_EQ(read_form(slotted), form);
  EXPECT_EQ(write_form(read_form(slotted)), bytes);
}

// One byte more than the section declares, or a length one past the end,
// is rejected; exactly at the end is accepted.
TEST(FormIo, BoundaryPairs) {
  Form form;
  HypertextProps view;
  view.address = "abc";
  form.records.push_back(control(kView, QX_UNIT_HYPERTEXT_VIEW, "v", view));
  auto bytes = write_form(form);
  ASSERT_NO_THROW(read_form(bytes));

  auto longer = bytes;
  longer.push_back(0);
  EXPECT_THROW(read_form(longer), FormatError);
  put_u32(longer, 0x20, load_u32(longer, 0x20) + 1);
  EXPECT_THROW(read_form(longer), FormatError) << "a byte after the record";

  std::size_t body_length = 0x24 + 8;
  auto past = bytes;
  put_u32(past, body_length, load_u32(past, body_length) + 1);
  EXPECT_THROW(read_form(past), FormatError);

  auto text_past = bytes;
  put_u32(text_past, bytes.size() - 7, 4); // address length 3 -> 4
  const std::string error = qx::test::error_of([&] { read_form(text_past); });
  EXPECT_NE(error.find("form record 0 (0x1601000a)"), std::string::npos)
      << error;
  EXPECT_NE(error.find("web address"), std::string::npos) << error;
}

TEST(FormIo, EveryTruncationIsRejected) {
  auto bytes = write_form(sample_form());
  for (std::size_t size = 0; size < bytes.size(); ++size)
    EXPECT_THROW(read_form(std::span(bytes).first(size)), FormatError)
        << "prefix of " << size << " bytes";
}

// Every single-byte change is either rejected or read as a form that writes
// back to exactly the changed bytes.
TEST(FormIo, CorruptedBytesAreRejectedOrRoundTrip) {
  auto bytes = write_form(sample_form());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i >= 0x08 && i < 0x10)
      continue; // slot words
    for (std::uint8_t delta : {std::uint8_t{1}, std::uint8_t{0x80}}) {
      auto changed = bytes;
      changed[i] = static_cast<std::uint8_t>(changed[i] + delta);
      try {
        EXPECT_EQ(write_form(read_form(changed)), changed) << "byte " << i;
      } catch (const FormatError &) {
      }
    }
  }
}

struct Corruption {
  const char *what;
  std::function<void(std::vector<std::uint8_t> &, const Form &)> apply;
  const char *message;
};

class FormIoRejects : public ::testing::TestWithParam<Corruption> {};

std::size_t body_of(const std::vector<std::uint8_t> &bytes, const Form &form,
                    std::uint32_t id) {
  return body_offsets(bytes)[index_of(form, id)];
}

TEST_P(FormIoRejects, NamesTheField) {
  Form form = sample_form();
  auto bytes = write_form(form);
  GetParam().apply(bytes, form);
  const std::string error = qx::test::error_of([&] { read_form(bytes); });
  EXPECT_NE(error.find(GetParam().message), std::string::npos)
      << GetParam().what << ": " << error;
}

INSTANTIATE_TEST_SUITE_P(
    Corruptions, FormIoRejects,
    ::testing::Values(
        Corruption{"unknown unit type",
                   [](auto &b, const Form &f) {
                     put_u32(b, body_of(b, f, kButton), 0x00010063);
                   },
                   "form record 4 (0x16010005): unit type code at offset"},
        Corruption{"record offset with a gap",
                   [](auto &b, const Form &f) {
                     put_u32(b, 0x24 + 4 * f.records.size() + 4, 1);
                   },
                   "record offset 0x1 should be"},
        Corruption{"record count too large",
                   [](auto &b, const Form &) { put_u32(b, 0x1C, 0x7FFFFFFF); },
                   "record count"},
        Corruption{
            "non-zero reserved head byte",
            [](auto &b, const Form &f) { b[body_of(b, f, kEdit) + 7] = 1; },
            "should be zero, is 0x1"},
        Corruption{"wrong kind constant",
                   [](auto &b, const Form &f) {
                     std::size_t p =
                         after_comment(b, body_of(b, f, kBareLabel));
                     put_u32(b, p + 0x39 + 0x14, 3);
                   },
                   "kind constant"},
        Corruption{"marker word not 4",
                   [](auto &b, const Form &f) {
                     std::size_t p =
                         after_comment(b, body_of(b, f, kBareLabel));
                     put_u32(b, p + 0x20, 5);
                   },
                   "marker word"},
        Corruption{"child list without its closing zero",
                   [](auto &b, const Form &f) {
                     std::size_t p = after_comment(b, body_of(b, f, kTab));
                     put_u32(b, p + 0x20 + 4 * 6, kView);
                   },
                   "closes a page"},
        Corruption{"event count past the end",
                   [](auto &b, const Form &f) {
                     std::size_t q =
                         after_comment(b, body_of(b, f, kButton)) + 0x20;
                     put_u32(b, q + 0x15, 0x10000000);
                   },
                   "event binding count"},
        Corruption{"font length neither 0 nor 60",
                   [](auto &b, const Form &f) {
                     std::size_t q =
                         after_comment(b, body_of(b, f, kLabel)) + 0x20;
                     put_u32(b, q + 0x19 + 8 + 0x58, 59);
                   },
                   "font length"},
        Corruption{"combo item count not matching its values",
                   [](auto &b, const Form &f) {
                     std::size_t q =
                         after_comment(b, body_of(b, f, kCombo)) + 0x20;
                     std::size_t values = q + 0x19 + 0x40;
                     b[values + 4 + 16 + 4] = 3;
                   },
                   "item count"},
        Corruption{"name without its terminator",
                   [](auto &b, const Form &f) {
                     std::size_t body = body_of(b, f, kView);
                     std::uint32_t length = load_u32(b, body - 4);
                     std::fill(&b[body + 0x18], &b[body + length], 'x');
                   },
                   "terminating zero"}));

TEST(FormIo, WriterRefusesWhatItCannotStore) {
  Form mismatched = sample_form();
  std::get<ControlRecord>(mismatched.records[2]).unit_type = QX_UNIT_LABEL;
  EXPECT_THROW(write_form(mismatched), FormatError);

  Form zero_in_name = sample_form();
  std::get<ControlRecord>(zero_in_name.records[2]).name =
      std::string("a\0b", 3);
  EXPECT_THROW(write_form(zero_in_name), FormatError);

  Form zero_on_page = sample_form();
  std::get<ControlRecord>(zero_on_page.records[1]).pages[0].push_back(0);
  EXPECT_THROW(write_form(zero_on_page), FormatError);
}

// Counts stored in 16 bits: the writer refuses one more than fits and
// round-trips the most that fits.
TEST(FormIo, SixteenBitCountsAreBounded) {
  const struct {
    const char *what;
    std::function<void(Form &, std::size_t)> grow;
  } cases[] = {
      {"combo items",
       [](Form &form, std::size_t count) {
         auto &combo =
             std::get<ControlRecord>(form.records[index_of(form, kCombo)]);
         std::get<ComboProps>(combo.props).items.resize(count, {7, "x"});
       }},
      {"tab pages",
       [](Form &form, std::size_t count) {
         auto &tab =
             std::get<ControlRecord>(form.records[index_of(form, kTab)]);
         std::get<TabProps>(tab.props).pages.resize(count, "p");
       }},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    Form most = sample_form();
    c.grow(most, 0xFFFF);
    EXPECT_EQ(read_form(write_form(most)), most);
    Form too_many = sample_form();
    c.grow(too_many, 0x10000);
    EXPECT_THROW(write_form(too_many), FormatError);
  }
}

} // namespace
} // namespace qx::form
