// The Win32 view's window-free decisions: the focus chain over the main
// window and over small forms, page turning, link targets, folding and the
// rich text the hypertext view shows, read back by a small RTF reader.
#include "document/document.h"
#include "document/plain_text.h"
#include "platform/gbk.h"
#include "program/control_ids.h"
#include "runtime/core/control_model.h"
#include "runtime/views/win32/view_rules.h"
#include "tests/views/placeholder_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace ctl = qx::ctl;
namespace w32 = qx::views::win32;
using qx::rt::WindowModel;
using TargetKind = w32::LinkTarget::TargetKind;

qx::form::Form mainForm() {
  std::map<std::string, std::uint32_t> offsets;
  return qx::test::placeholder_main_form(offsets);
}

// ---- A small form
// -------------------------------------------------------------

qx::form::ControlRecord record(std::uint32_t id, std::uint32_t unit,
                               std::uint32_t flags) {
  qx::form::ControlRecord r;
  r.id = id;
  r.unit_type = unit;
  r.name = "c" + std::to_string(id & 0xFF);
  r.flags = flags;
  r.rect = {10, 10, 50, 20};
  switch (unit) {
  case QX_UNIT_WINDOW:
    r.props = qx::form::WindowProps{};
    break;
  case QX_UNIT_TAB_CONTROL:
    r.props = qx::form::TabProps{};
    break;
  case QX_UNIT_BUTTON:
    r.props = qx::form::ButtonProps{};
    break;
  case QX_UNIT_LABEL:
    r.props = qx::form::LabelProps{};
    break;
  default:
    r.props = qx::form::EditProps{};
    break;
  }
  return r;
}

constexpr std::uint32_t kFocus =
    qx::form::kFlagVisible | qx::form::kFlagTakesFocus;
constexpr std::uint32_t kNoFocus = qx::form::kFlagVisible;

// A window whose form lists, in this order: an edit box on page 0, a tab
// control with two pages, an edit box on the window, a label on page 1 (no
// focus), a button on page 1, a second tab control that takes the focus
// with one page, and an edit box on it.
qx::form::Form smallForm() {
  qx::form::Form form;
  form.records.emplace_back(record(0x06010000, QX_UNIT_WINDOW, kNoFocus));
  form.records.emplace_back(record(0x16010001, QX_UNIT_EDIT_BOX, kFocus));
  auto tab = record(0x16010002, QX_UNIT_TAB_CONTROL, kNoFocus);
  tab.pages = {{0x16010001}, {0x16010004, 0x16010005}};
  std::get<qx::form::TabProps>(tab.props).pages = {"a", "b"};
  form.records.emplace_back(tab);
  form.records.emplace_back(record(0x16010003, QX_UNIT_EDIT_BOX, kFocus));
  form.records.emplace_back(record(0x16010004, QX_UNIT_LABEL, kNoFocus));
  form.records.emplace_back(record(0x16010005, QX_UNIT_BUTTON, kFocus));
  auto second = record(0x16010006, QX_UNIT_TAB_CONTROL, kFocus);
  second.pages = {{0x16010007}};
  std::get<qx::form::TabProps>(second.props).pages = {"c"};
  form.records.emplace_back(second);
  form.records.emplace_back(record(0x16010007, QX_UNIT_EDIT_BOX, kFocus));
  return form;
}

TEST(Win32FocusChain, TabControlsThenWindowControlsThenPageControls) {
  const WindowModel window(smallForm());
  const std::vector<std::uint32_t> expected = {
      0x16010006, 0x16010003, 0x16010001, 0x16010005, 0x16010007};
  EXPECT_EQ(w32::focus_chain(window), expected);
}

TEST(Win32FocusChain, MainWindowHoldsEveryControlThatTakesTheFocusOnce) {
  const WindowModel window(mainForm());
  const std::vector<std::uint32_t> chain = w32::focus_chain(window);
  const std::set<std::uint32_t> unique(chain.begin(), chain.end());
  EXPECT_EQ(unique.size(), chain.size());
  std::size_t taking = 0;
  for (const qx::rt::Control &c : window.controls())
    if (!c.is_window() && (c.record().flags & qx::form::kFlagTakesFocus))
      ++taking;
  EXPECT_EQ(chain.size(), taking);
  ASSERT_FALSE(chain.empty());
  EXPECT_EQ(std::count(chain.begin(), chain.end(), ctl::选择夹1), 0);
  // The controls off the pages come before every control on a page.
  const auto first_on_page =
      std::find_if(chain.begin(), chain.end(), [&](std::uint32_t id) {
        return window.find(id)->tab() != 0;
      });
  EXPECT_TRUE(std::all_of(first_on_page, chain.end(), [&](std::uint32_t id) {
    return window.find(id)->tab() != 0;
  }));
  EXPECT_NE(std::find(chain.begin(), first_on_page, ctl::自动消块1),
            first_on_page);
}

TEST(Win32FocusChain, EachPageIsEnteredAtItsFirstEntryBox) {
  const WindowModel window(mainForm());
  const std::vector<std::uint32_t> chain = w32::focus_chain(window);
  const std::uint32_t first[] = {ctl::编辑框1, ctl::xya1, ctl::二次项系数,
                                 ctl::分子1, ctl::编辑框13};
  for (std::int32_t page = 0; page < 5; ++page) {
    const auto found =
        std::find_if(chain.begin(), chain.end(), [&](std::uint32_t id) {
          return window.find(id)->page() == page;
        });
    ASSERT_NE(found, chain.end()) << page;
    EXPECT_EQ(*found, first[page]) << page;
  }
}

TEST(Win32FocusChain, NextFocusWalksRoundTheChainPastUnavailableControls) {
  const std::vector<std::uint32_t> chain = {1, 2, 3, 4};
  const struct {
    std::uint32_t current;
    bool forward;
    std::set<std::uint32_t> available;
    std::uint32_t next;
  } cases[] = {
      {2, true, {1, 2, 3, 4}, 3}, {2, false, {1, 2, 3, 4}, 1},
      {4, true, {1, 2, 3, 4}, 1}, {1, false, {1, 2, 3, 4}, 4},
      {1, true, {1, 4}, 4},       {4, true, {3}, 3},
      {3, false, {3, 4}, 4},      {0, true, {2, 3}, 2},
      {0, false, {2, 3}, 3},      {99, true, {1, 2, 3, 4}, 1},
      {2, true, {2}, 2},          {2, true, {}, 0},
  };
  for (const auto &c : cases) {
    const auto can = [&](std::uint32_t id) { return c.available.count(id); };
    EXPECT_EQ(w32::next_focus(chain, c.current, c.forward, can), c.next)
        << c.current << (c.forward ? " forward" : " backward");
  }
  EXPECT_EQ(w32::next_focus({}, 1, true, [](std::uint32_t) { return true; }),
            0u);
}

TEST(Win32Pages, CtrlTabTurnsTheTabControlOfTheFocusedControl) {
  const WindowModel window(mainForm());
  const struct {
    std::uint32_t focused;
    std::uint32_t tab;
  } cases[] = {
      {ctl::编辑框1, ctl::选择夹1},
      {ctl::求根, ctl::选择夹1},
      {ctl::编辑框13, ctl::选择夹1},
      {ctl::选择夹1, ctl::选择夹1},
      {ctl::自动消块1, 0},
      {0x06010000, 0},
      {0, 0},
      {0x1601FFFF, 0},
  };
  for (const auto &c : cases)
    EXPECT_EQ(w32::ctrl_tab_control(window, c.focused), c.tab)
        << std::hex << c.focused;
}

TEST(Win32Pages, TurnedPageGoesRoundTheEnds) {
  const struct {
    std::int32_t page, count;
    bool forward;
    std::int32_t turned;
  } cases[] = {
      {0, 5, true, 1}, {4, 5, true, 0},  {0, 5, false, 4},   {3, 5, false, 2},
      {0, 1, true, 0}, {0, 1, false, 0}, {-1, 5, true, 0},   {-1, 5, false, 4},
      {7, 5, true, 0}, {0, 0, true, -1}, {0, -3, false, -1},
  };
  for (const auto &c : cases)
    EXPECT_EQ(w32::turned_page(c.page, c.count, c.forward), c.turned)
        << c.page << "/" << c.count << (c.forward ? " forward" : " backward");
}

// ---- Links
// --------------------------------------------------------------------

TEST(Win32Links, LocalHostNamesTheShippedPagesOnly) {
  const struct {
    const char *address;
    TargetKind kind;
    const char *value;
  } cases[] = {
      {"http://quadrix.invalid/", TargetKind::Shipped, "ad1.htm"},
      {"http://quadrix.invalid", TargetKind::Shipped, "ad1.htm"},
      {"HTTPS://Quadrix.Invalid/?q=1", TargetKind::Shipped, "ad1.htm"},
      {"http://quadrix.invalid/ad1.htm", TargetKind::Shipped, "ad1.htm"},
      {"http://quadrix.invalid/Help.HTML#top", TargetKind::Shipped,
       "Help.HTML"},
      {"http://quadrix.invalid/ad1.htm?x=/..", TargetKind::Shipped, "ad1.htm"},
      {"http://quadrix.invalid/../secret.htm", TargetKind::Nothing, ""},
      {"http://quadrix.invalid/sub/ad1.htm", TargetKind::Nothing, ""},
      {"http://quadrix.invalid/..\\ad1.htm", TargetKind::Nothing, ""},
      {"http://quadrix.invalid/.hidden.htm", TargetKind::Nothing, ""},
      {"http://quadrix.invalid/c:ad1.htm", TargetKind::Nothing, ""},
      {"http://quadrix.invalid/ad1.htm:stream", TargetKind::Nothing, ""},
      {"http://quadrix.invalid/notes.txt", TargetKind::Nothing, ""},
      {"http://quadrix.invalid/.htm", TargetKind::Nothing, ""},
      {"http://quadrix.invalid.example.org/", TargetKind::Web,
       "http://quadrix.invalid.example.org/"},
      {"http://www.example.org/a.htm", TargetKind::Web,
       "http://www.example.org/a.htm"},
      {"ftp://quadrix.invalid/", TargetKind::Web, "ftp://quadrix.invalid/"},
      {"", TargetKind::Nothing, ""},
  };
  for (const auto &c : cases) {
    const w32::LinkTarget target =
        w32::resolve_link(c.address, "quadrix.invalid", "ad1.htm");
    EXPECT_EQ(target.kind, c.kind) << c.address;
    EXPECT_EQ(target.value, c.value) << c.address;
  }
}

// ---- Folding
// --------------------------------------------------------------------

TEST(Win32Folding, FullWidthFormsBecomeAsciiInPlace) {
  const struct {
    std::u16string typed, folded;
  } cases[] = {
      {u"\xFF11\xFF12", u"12"},               // full-width digits
      {u"\xFF0D\xFF13\xFF0E\xFF15", u"-3.5"}, // minus, point
      {u"\xFF12\xFF06\xFF11\xFF0F\xFF13", u"2&1/3"},
      {u"\x3000x", u" x"},                            // ideographic space
      {u"\xFF01\xFF5E", u"!~"},                       // the ends of the range
      {u"\xFF00\xFF5F\x4E2D", u"\xFF00\xFF5F\x4E2D"}, // just outside: kept
      {u"\xD83D\xDE00"
       u"1",
       u"\xD83D\xDE00"
       u"1"}, // a surrogate pair
      {u"", u""},
  };
  for (const auto &c : cases) {
    const std::u16string folded = w32::fold_full_width(c.typed);
    EXPECT_EQ(folded, c.folded);
    EXPECT_EQ(folded.size(), c.typed.size());
  }
}

// ---- Rich text
// --------------------------------------------------------------------

void appendUtf8(std::string &out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// What a reader of `rtf` shows as text (UTF-8; paragraphs and line breaks as
// "\n", the bullet as "*", a tab as "\t"), the font and colour tables left
// out. Fails the test when the document is not one balanced group of ASCII.
std::string readRtf(const std::string &rtf) {
  EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x80;
  })) << rtf;
  EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u) << rtf;
  std::string text;
  int depth = 0;
  int skip_below = -1; // inside the font or colour table
  char16_t high = 0;
  const auto put = [&](char32_t c) {
    if (skip_below >= 0)
      return;
    if (c >= 0xD800 && c <= 0xDBFF) {
      high = static_cast<char16_t>(c);
      return;
    }
    if (c >= 0xDC00 && c <= 0xDFFF && high) {
      c = 0x10000 + ((char32_t{high} - 0xD800) << 10) + (c - 0xDC00);
    }
    high = 0;
    appendUtf8(text, c);
  };
  for (std::size_t i = 0; i < rtf.size(); ++i) {
    const char c = rtf[i];
    if (c == '{') {
      ++depth;
      const bool table = rtf.compare(i, 9, "{\\fonttbl") == 0 ||
                         rtf.compare(i, 10, "{\\colortbl") == 0;
      if (table && skip_below < 0)
        skip_below = depth;
      continue;
    }
    if (c == '}') {
      if (depth == skip_below)
        skip_below = -1;
      --depth;
      EXPECT_GE(depth, 0) << rtf;
      if (depth == 0) {
        EXPECT_EQ(rtf.find_first_not_of("\r\n", i + 1), std::string::npos)
            << "text after the document: " << rtf;
      }
      continue;
    }
    if (c == '\r' || c == '\n')
      continue;
    if (c != '\\') {
      put(static_cast<unsigned char>(c));
      continue;
    }
    ++i;
    if (i >= rtf.size())
      break;
    if (rtf[i] == '\\' || rtf[i] == '{' || rtf[i] == '}') {
      put(static_cast<unsigned char>(rtf[i]));
      continue;
    }
    if (rtf[i] == '\'') {
      i += 2; // a code page byte: only in the font table here
      continue;
    }
    std::size_t end = i;
    while (end < rtf.size() &&
           std::isalpha(static_cast<unsigned char>(rtf[end])))
      ++end;
    const std::string word = rtf.substr(i, end - i);
    std::size_t number_end = end;
    if (number_end < rtf.size() && rtf[number_end] == '-')
      ++number_end;
    while (number_end < rtf.size() &&
           std::isdigit(static_cast<unsigned char>(rtf[number_end])))
      ++number_end;
    const std::string number = rtf.substr(end, number_end - end);
    i = number_end;
    // A blank after the control word belongs to it.
    if (i >= rtf.size() || rtf[i] != ' ')
      --i;
    if (word == "u") {
      const int unit = std::stoi(number);
      put(static_cast<char32_t>(unit < 0 ? unit + 65536 : unit));
      if (i + 1 < rtf.size() && rtf[i + 1] == '?')
        ++i; // the stand-in character of \uc1
    } else if (word == "par" || word == "line") {
      put(U'\n');
    } else if (word == "bullet") {
      put(U'*');
    } else if (word == "tab") {
      put(U'\t');
    }
  }
  EXPECT_EQ(depth, 0) << rtf;
  return text;
}

TEST(Win32RichText, PagesReadBackAsTheirText) {
  const struct {
    const char *html;
    const char *text;
  } cases[] = {
      {"<p>a  b\n c</p>", "a b c\n"},
      {"<h3>Title</h3><p>Body</p>", "Title\nBody\n"},
      {"<ul><li>one</li><li>two</li></ul>after", "*\tone\n*\ttwo\nafter\n"},
      {"<p>x<br>y</p>", "x\ny\n"},
      {"<p>&amp; &lt;&gt; &quot;&#65;&#x4E2D;&nbsp;!</p>", "& <> \"A中 !\n"},
      {"<p>&bogus; &amp &#;</p>", "&bogus; &amp &#;\n"},
      {"<p>&#0;&#xD800;&#x110000;</p>",
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\n"},
      {"<p>\\{braces}\\</p>", "\\{braces}\\\n"},
      {"<p>\xF0\x9F\x98\x80 \xE4\xB8\xAD</p>", "\xF0\x9F\x98\x80 中\n"},
      {"<p>bad \xFF\xC3 end</p>", "bad \xEF\xBF\xBD\xEF\xBF\xBD end\n"},
      {"<p>cut \xE4\xB8</p>", "cut \xEF\xBF\xBD\xEF\xBF\xBD\n"},
      {"<html><head><title>T</title><style>p{}</style></head>"
       "<body><p>B</p></body></html>",
       "B\n"},
      {"<p>a<!-- <b>not</b> -->b</p><script>x<y</script>c", "ab\nc\n"},
      {"<p>open <b>bold <i>both</p>", "open bold both\n"},
      {"</b></i>stray</h2>", "stray\n"},
      {"<p>unfinished <b", "unfinished\n"},
      {"<P>Upper <B>Case</B></P>", "Upper Case\n"},
      {"", ""},
  };
  for (const auto &c : cases)
    EXPECT_EQ(readRtf(w32::html_to_rtf(c.html)), c.text) << c.html;
}

TEST(Win32RichText, StylesAreGroupsAroundTheirText) {
  const struct {
    const char *html;
    const char *fragment;
  } cases[] = {
      {"<b>x</b>", "{\\b x}"},
      {"<strong>x</strong>", "{\\b x}"},
      {"<em>x</em>", "{\\i x}"},
      {"<h1>x</h1>", "{\\b\\fs32 x}"},
      {"<h4>x</h4>", "{\\b\\fs22 x}"},
      {"<b>a<i>b</i></b>", "{\\b a{\\i b}}"},
      {"<b>a<i>b</b>c", "{\\b a{\\i b}}c"},
  };
  for (const auto &c : cases) {
    const std::string rtf = w32::html_to_rtf(c.html);
    EXPECT_NE(rtf.find(c.fragment), std::string::npos) << c.html << "\n" << rtf;
  }
}

TEST(Win32RichText, TheGuidePageShowsItsBodyOnce) {
  std::ifstream in(QX_TEST_GUIDE_PAGE, std::ios::binary);
  ASSERT_TRUE(in) << QX_TEST_GUIDE_PAGE;
  std::stringstream page;
  page << in.rdbuf();
  const std::string text = readRtf(w32::html_to_rtf(page.str()));
  // The heading once: the title in the head is not shown.
  const std::string heading = "Quadrix 使用指南\n";
  EXPECT_EQ(text.rfind(heading, 0), 0u) << text;
  EXPECT_EQ(text.find("Quadrix 使用指南", 1), std::string::npos) << text;
  for (const char *shown :
       {"分数的写法\n", "2&1/3", "ax² + bx + c = 0", "\n*\t",
        "菜单“常用工具”中可以打开计算器和记事本。\n"})
    EXPECT_NE(text.find(shown), std::string::npos) << shown;
  for (const char *hidden : {"<", ">", "&amp;", "charset", "DOCTYPE"})
    EXPECT_EQ(text.find(hidden), std::string::npos) << hidden;
}

TEST(Win32RichText, PlainTextKeepsItsLines) {
  const struct {
    const char *utf8;
    const char *text;
  } cases[] = {
      {"x1 = 3/4\r\nx2 = √8", "x1 = 3/4\nx2 = √8\n"},
      {"{a}\\b", "{a}\\b\n"},
      {"", "\n"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(readRtf(w32::text_to_rtf(c.utf8)), c.text) << c.utf8;
}

// `utf8` as UTF-16 units (the test's texts are valid UTF-8).
std::u16string utf16(const std::string &utf8) {
  std::u16string units;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? b : b & (0x3F >> (length - 1));
    for (int k = 1; k < length; ++k)
      c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += static_cast<std::size_t>(length);
    if (c >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(c);
    }
  }
  return units;
}

qx::doc::Document working() {
  namespace d = qx::doc;
  d::Document doc;
  doc.add(d::ParagraphStyle::Heading, {d::text("求根公式")});
  doc.add(d::ParagraphStyle::Body,
          {d::text("x"), d::subscript({d::text("1")}), d::text(" = "),
           d::fraction({d::text("3 + "), d::root({d::text("8")})},
                       {d::text("4")})});
  doc.add(d::ParagraphStyle::Formula,
          {d::text("b"), d::superscript({d::text("2")}), d::text(" - 4ac")});
  doc.add(d::ParagraphStyle::Note, {d::text("{注} \\ 𝑥\n下一行")});
  doc.add(d::ParagraphStyle::ReturnLink, {d::text("返回使用指南")});
  doc.add(d::ParagraphStyle::Body, {d::text("after")});
  return doc;
}

TEST(Win32RichText, AWorkingReadsBackAsItsPlainText) {
  const qx::doc::Document doc = working();
  const w32::RichDocument rich = w32::document_to_rtf(doc);
  std::string expected = qx::doc::to_plain_text(doc);
  // A line break inside a paragraph is one blank in the control.
  const std::size_t inner = expected.find("\n下一行");
  ASSERT_NE(inner, std::string::npos);
  expected[inner] = ' ';
  const std::string text = readRtf(rich.rtf);
  EXPECT_EQ(text, expected);
  for (const char *shown : {"(3 + √8)/4", "b²", "x₁", "{注} \\ 𝑥 下一行"})
    EXPECT_NE(text.find(shown), std::string::npos) << shown << "\n" << text;
}

TEST(Win32RichText, TheReturnLinkIsFoundWhereTheControlHoldsIt) {
  const w32::RichDocument rich = w32::document_to_rtf(working());
  ASSERT_EQ(rich.links.size(), 1u);
  // The control holds one unit per paragraph break, as the reader's "\n".
  const std::u16string held = utf16(readRtf(rich.rtf));
  const auto [first, last] = rich.links[0];
  ASSERT_LE(first, last);
  ASSERT_LE(last, held.size());
  EXPECT_EQ(held.substr(first, last - first), u"返回使用指南");
  EXPECT_NE(rich.rtf.find("{\\cf2\\ul "), std::string::npos) << rich.rtf;

  EXPECT_TRUE(w32::document_to_rtf({}).links.empty());
  EXPECT_EQ(readRtf(w32::document_to_rtf({}).rtf), "");
  qx::doc::Document only_link;
  only_link.add(qx::doc::ParagraphStyle::ReturnLink, {qx::doc::text("返回")});
  const w32::RichDocument alone = w32::document_to_rtf(only_link);
  ASSERT_EQ(alone.links.size(), 1u);
  EXPECT_EQ(alone.links[0], (std::pair<std::size_t, std::size_t>{0, 2}));
}

TEST(Win32RichText, SignsTheSongFaceLacksAreWrittenInTheSymbolFace) {
  namespace d = qx::doc;
  d::Document doc;
  doc.add(d::ParagraphStyle::Formula,
          {d::text("x"), d::subscript({d::text("1")}), d::text(" = \u2212"),
           d::root({d::text("8")}), d::text(" 中")});
  doc.add(d::ParagraphStyle::ReturnLink, {d::text("返回")});
  const w32::RichDocument plain = w32::document_to_rtf(doc);
  const struct {
    std::string_view face;
    bool used;
  } cases[] = {
      {"DejaVu Sans", true},
      {"Segoe UI Symbol", true},
      {"", false},
      {"Bad;Face", false},
      {"Brace}", false},
      {"Back\\slash", false},
      {"\xE5\xAE\x8B", false}, // not ASCII
  };
  for (const auto &c : cases) {
    const w32::RichDocument rich = w32::document_to_rtf(doc, c.face);
    // The same text in the same places, whatever the face.
    EXPECT_EQ(readRtf(rich.rtf), readRtf(plain.rtf)) << c.face;
    EXPECT_EQ(rich.links, plain.links) << c.face;
    const std::string entry = "{\\f1\\fnil " + std::string(c.face) + ";}";
    EXPECT_EQ(rich.rtf.find(entry) != std::string::npos, c.used) << c.face;
    for (const char *sign :
         {"{\\f1 \\u8321?}", "{\\f1 \\u8722?}", "{\\f1 \\u8730?}"})
      EXPECT_EQ(rich.rtf.find(sign) != std::string::npos, c.used)
          << c.face << " " << sign;
    // CJK and ASCII stay in the Song face.
    EXPECT_EQ(rich.rtf.find("{\\f1 \\u20013?}"), std::string::npos);
    EXPECT_EQ(rich.rtf.find("{\\f1 x}"), std::string::npos);
  }
  for (const char32_t sign : {U'\u2212', U'\u221A', U'\u2081', U'\u2070'})
    EXPECT_TRUE(w32::is_math_sign(sign)) << static_cast<unsigned>(sign);
  for (const char32_t other :
       {U'-', U'\u00B2', U'\u00D7', U'\u4E2D', U'\u2300'})
    EXPECT_FALSE(w32::is_math_sign(other)) << static_cast<unsigned>(other);
}

} // namespace
