// The Win32 view's window-free decisions: focus chain, page turning, link
// targets, folding and the HTML to rich-text conversion.
#include "runtime/views/win32/view_rules.h"

#include "document/plain_text.h"
#include "runtime/core/control_model.h"
#include "runtime/core/input_mode.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace qx::views::win32 {
namespace {

bool takes_focus(const rt::Control &c) {
  return (c.record().flags & form::kFlagTakesFocus) != 0;
}

char ascii_lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), ascii_lower);
  return result;
}

bool ends_with(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() &&
         text.substr(text.size() - tail.size()) == tail;
}

bool is_plain_page_name(std::string_view name) {
  if (name.empty() || name.front() == '.')
    return false;
  if (name.find_first_of("/\\:") != std::string_view::npos)
    return false;
  const std::string lower = lowered(name);
  return ends_with(lower, ".htm") || ends_with(lower, ".html");
}

// ---- UTF-8 ------------------------------------------------------------------

constexpr char32_t kReplacement = 0xFFFD;

// The character at `at` (advancing `at` past it); a malformed, overlong,
// surrogate or cut-off sequence gives U+FFFD and skips one byte.
char32_t next_code_point(std::string_view text, std::size_t &at) {
  const auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(text[i]);
  };
  const unsigned char lead = byte(at);
  if (lead < 0x80) {
    ++at;
    return lead;
  }
  std::size_t length = 0;
  char32_t c = 0;
  char32_t least = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    c = lead & 0x1F;
    least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    c = lead & 0x0F;
    least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    c = lead & 0x07;
    least = 0x10000;
  } else {
    ++at;
    return kReplacement;
  }
  if (text.size() - at < length) {
    ++at;
    return kReplacement;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      ++at;
      return kReplacement;
    }
    c = c << 6 | (byte(at + i) & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++at;
    return kReplacement;
  }
  at += length;
  return c;
}

// ---- Rich text --------------------------------------------------------------

// Body text at 9 points (the window's 12 pixels), headings larger.
constexpr int kBodyHalfPoints = 18;
constexpr std::array<int, 6> kHeadingHalfPoints = {32, 28, 24, 22, 20, 18};
// The indent of a list item, in twips.
constexpr int kListIndentTwips = 360;

const char *const kRtfHeader =
    "{\\rtf1\\ansi\\ansicpg936\\deff0"
    "{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
    "\\viewkind4\\uc1\\pard\\sa60\\f0";

void append_escaped(std::string &rtf, char32_t c) {
  if (c == '\\' || c == '{' || c == '}') {
    rtf += '\\';
    rtf += static_cast<char>(c);
    return;
  }
  if (c >= 0x20 && c < 0x80) {
    rtf += static_cast<char>(c);
    return;
  }
  if (c < 0x20) {
    rtf += ' ';
    return;
  }
  // \uN takes a signed 16-bit number; a character beyond the basic plane
  // is written as its two surrogates.
  const auto unit = [&rtf](unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\u%d?",
                  static_cast<int>(static_cast<std::int16_t>(value)));
    rtf += buffer;
  };
  if (c >= 0x10000) {
    const char32_t v = c - 0x10000;
    unit(0xD800 + static_cast<unsigned>(v >> 10));
    unit(0xDC00 + static_cast<unsigned>(v & 0x3FF));
    return;
  }
  unit(static_cast<unsigned>(c));
}

// The character a reference such as "amp" or "#x4E2D" stands for.
std::optional<char32_t> character_reference(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, char32_t>, 11>
      kNamed = {{{"amp", U'&'},
                 {"lt", U'<'},
                 {"gt", U'>'},
                 {"quot", U'"'},
                 {"apos", U'\''},
                 {"nbsp", 0xA0},
                 {"copy", 0xA9},
                 {"middot", 0xB7},
                 {"times", 0xD7},
                 {"divide", 0xF7},
                 {"hellip", 0x2026}}};
  for (const auto &[entity, c] : kNamed)
    if (entity == name)
      return c;
  if (name.size() < 2 || name.front() != '#')
    return std::nullopt;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 8)
    return std::nullopt;
  char32_t value = 0;
  for (char d : digits) {
    int digit = -1;
    if (d >= '0' && d <= '9')
      digit = d - '0';
    else if (hex && ascii_lower(d) >= 'a' && ascii_lower(d) <= 'f')
      digit = ascii_lower(d) - 'a' + 10;
    if (digit < 0)
      return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
  }
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    return kReplacement;
  return value;
}

// Writes the document while the tags of the page arrive.
class RtfWriter {
public:
  RtfWriter() : m_rtf(kRtfHeader) { append_size(kBodyHalfPoints); }

  void text(char32_t c) {
    const bool blank =
        c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    if (blank) {
      m_blank_pending = m_line_has_text;
      return;
    }
    if (m_blank_pending)
      m_rtf += ' ';
    m_blank_pending = false;
    m_line_has_text = true;
    m_paragraph_has_text = true;
    append_escaped(m_rtf, c == 0xA0 ? U' ' : c);
  }

  void open_tag(std::string_view tag) {
    if (tag == "br") {
      m_rtf += "\\line ";
      m_line_has_text = false;
      m_blank_pending = false;
      return;
    }
    if (tag == "p" || tag == "div" || tag == "ul" || tag == "ol" ||
        tag == "table" || tag == "tr") {
      end_paragraph();
      return;
    }
    if (tag == "li") {
      end_paragraph();
      // A hanging indent: the bullet, a tab to the indent, then the text.
      const std::string indent = std::to_string(kListIndentTwips);
      m_rtf += "\\pard\\sa60\\li" + indent + "\\fi-" + indent + "\\tx" +
               indent + " \\bullet\\tab ";
      m_indented = true;
      return;
    }
    if (const int level = heading_level(tag); level > 0) {
      end_paragraph();
      if (m_indented) {
        m_rtf += "\\pard\\sa60 ";
        m_indented = false;
      }
      push(tag,
           "\\b\\fs" +
               std::to_string(
                   kHeadingHalfPoints[static_cast<std::size_t>(level - 1)]));
      return;
    }
    if (tag == "b" || tag == "strong")
      push(tag, "\\b");
    else if (tag == "i" || tag == "em")
      push(tag, "\\i");
    else if (tag == "u")
      push(tag, "\\ul");
  }

  void close_tag(std::string_view tag) {
    const auto open = std::find(m_open.rbegin(), m_open.rend(), tag);
    if (open != m_open.rend()) {
      // Closes what was left open inside it too.
      const auto keep = static_cast<std::size_t>(m_open.rend() - open) - 1;
      while (m_open.size() > keep) {
        m_open.pop_back();
        m_rtf += '}';
      }
    }
    if (heading_level(tag) > 0 || tag == "p" || tag == "div" || tag == "li" ||
        tag == "tr")
      end_paragraph();
    if ((tag == "ul" || tag == "ol") && m_indented) {
      end_paragraph();
      m_rtf += "\\pard\\sa60 ";
      m_indented = false;
    }
  }

  std::string finish() {
    while (!m_open.empty()) {
      m_open.pop_back();
      m_rtf += '}';
    }
    if (m_paragraph_has_text)
      m_rtf += "\\par";
    m_rtf += "\n}";
    return std::move(m_rtf);
  }

private:
  static int heading_level(std::string_view tag) {
    if (tag.size() == 2 && tag[0] == 'h' && tag[1] >= '1' && tag[1] <= '6')
      return tag[1] - '0';
    return 0;
  }

  void append_size(int half_points) {
    m_rtf += "\\fs" + std::to_string(half_points) + ' ';
  }

  void push(std::string_view tag, const std::string &control) {
    m_open.emplace_back(tag);
    m_rtf += '{' + control + ' ';
  }

  void end_paragraph() {
    if (m_line_has_text || m_paragraph_has_text)
      m_rtf += "\\par\n";
    m_line_has_text = false;
    m_paragraph_has_text = false;
    m_blank_pending = false;
  }

  std::string m_rtf;
  std::vector<std::string> m_open;
  bool m_line_has_text = false;
  bool m_paragraph_has_text = false;
  bool m_blank_pending = false;
  bool m_indented = false;
};

// The lower-case name of the tag in `inside` (what lies between "<" and
// ">"), and whether it closes an element.
std::pair<std::string, bool> tag_name(std::string_view inside) {
  bool closing = false;
  if (!inside.empty() && inside.front() == '/') {
    closing = true;
    inside.remove_prefix(1);
  }
  std::size_t end = 0;
  while (end < inside.size() && ((inside[end] >= 'a' && inside[end] <= 'z') ||
                                 (inside[end] >= 'A' && inside[end] <= 'Z') ||
                                 (inside[end] >= '0' && inside[end] <= '9')))
    ++end;
  return {lowered(inside.substr(0, end)), closing};
}

// Where the element `name` opened just before `from` ends: after its
// closing tag, or the end of the page when it has none.
std::size_t skip_element(std::string_view html, std::size_t from,
                         std::string_view name) {
  const std::string lower = lowered(html.substr(from));
  const std::size_t close = lower.find("</" + std::string(name));
  if (close == std::string::npos)
    return html.size();
  const std::size_t end = lower.find('>', close);
  return end == std::string::npos ? html.size() : from + end + 1;
}

// The UTF-16 units of `utf8`, each bad byte one U+FFFD.
std::size_t utf16_length(std::string_view utf8) {
  std::size_t units = 0;
  std::size_t at = 0;
  while (at < utf8.size())
    units += next_code_point(utf8, at) >= 0x10000 ? 2 : 1;
  return units;
}

} // namespace

std::vector<std::uint32_t> focus_chain(const rt::WindowModel &window) {
  std::vector<std::uint32_t> chain;
  const auto add_if = [&](auto &&wanted) {
    for (const rt::Control &c : window.controls())
      if (!c.is_window() && takes_focus(c) && wanted(c))
        chain.push_back(c.id());
  };
  add_if([](const rt::Control &c) {
    return c.tab() == 0 && c.unit_type() == QX_UNIT_TAB_CONTROL;
  });
  add_if([](const rt::Control &c) {
    return c.tab() == 0 && c.unit_type() != QX_UNIT_TAB_CONTROL;
  });
  add_if([](const rt::Control &c) { return c.tab() != 0; });
  return chain;
}

std::uint32_t next_focus(const std::vector<std::uint32_t> &chain,
                         std::uint32_t current, bool forward,
                         const std::function<bool(std::uint32_t)> &can_focus) {
  const std::size_t n = chain.size();
  if (n == 0)
    return 0;
  const auto found = std::find(chain.begin(), chain.end(), current);
  // From outside the chain the walk starts just before the first (after the
  // last) control.
  std::size_t at = found == chain.end()
                       ? (forward ? n - 1 : 0)
                       : static_cast<std::size_t>(found - chain.begin());
  for (std::size_t step = 0; step < n; ++step) {
    at = forward ? (at + 1) % n : (at + n - 1) % n;
    if (can_focus(chain[at]))
      return chain[at];
  }
  return 0;
}

std::uint32_t ctrl_tab_control(const rt::WindowModel &window,
                               std::uint32_t focused) {
  const rt::Control *c = window.find(focused);
  if (!c || c->is_window())
    return 0;
  if (c->unit_type() == QX_UNIT_TAB_CONTROL)
    return c->id();
  return c->tab();
}

std::int32_t turned_page(std::int32_t page, std::int32_t count, bool forward) {
  if (count <= 0)
    return -1;
  if (page < 0 || page >= count)
    return forward ? 0 : count - 1;
  return forward ? (page + 1) % count : (page + count - 1) % count;
}

LinkTarget resolve_link(std::string_view address, std::string_view local_host,
                        std::string_view root_page) {
  using TargetKind = LinkTarget::TargetKind;
  if (address.empty())
    return {TargetKind::Nothing, {}};
  const std::string lower = lowered(address);
  std::size_t rest = 0;
  if (lower.rfind("http://", 0) == 0)
    rest = 7;
  else if (lower.rfind("https://", 0) == 0)
    rest = 8;
  else
    return {TargetKind::Web, std::string(address)};
  const std::size_t host_end = lower.find_first_of("/?#", rest);
  const std::string_view host = std::string_view(lower).substr(
      rest,
      host_end == std::string::npos ? std::string::npos : host_end - rest);
  if (host != lowered(local_host))
    return {TargetKind::Web, std::string(address)};
  std::string_view path;
  if (host_end != std::string::npos && address[host_end] == '/') {
    path = address.substr(host_end);
    path = path.substr(0, path.find_first_of("?#"));
  }
  if (path.empty() || path == "/")
    return {TargetKind::Shipped, std::string(root_page)};
  const std::string_view name = path.substr(1);
  if (!is_plain_page_name(name))
    return {TargetKind::Nothing, {}};
  return {TargetKind::Shipped, std::string(name)};
}

std::u16string fold_full_width(std::u16string text) {
  for (char16_t &unit : text)
    if (unit < 0xD800 || unit > 0xDFFF)
      unit = static_cast<char16_t>(rt::fold_full_width(unit));
  return text;
}

std::string html_to_rtf(std::string_view html) {
  RtfWriter writer;
  std::size_t at = 0;
  bool in_head = false;
  while (at < html.size()) {
    const char c = html[at];
    if (c == '<') {
      if (html.substr(at, 4) == "<!--") {
        const std::size_t end = html.find("-->", at + 4);
        at = end == std::string_view::npos ? html.size() : end + 3;
        continue;
      }
      const std::size_t end = html.find('>', at + 1);
      if (end == std::string_view::npos)
        break; // a tag cut off at the end of the page shows nothing
      const auto [name, closing] = tag_name(html.substr(at + 1, end - at - 1));
      at = end + 1;
      if (name == "head")
        in_head = !closing;
      else if (!closing &&
               (name == "script" || name == "style" || name == "title"))
        at = skip_element(html, at, name);
      else if (!in_head && closing)
        writer.close_tag(name);
      else if (!in_head)
        writer.open_tag(name);
      continue;
    }
    if (c == '&') {
      const std::size_t end = html.find(';', at + 1);
      if (end != std::string_view::npos && end - at <= 12) {
        if (const std::optional<char32_t> ref =
                character_reference(html.substr(at + 1, end - at - 1))) {
          if (!in_head)
            writer.text(*ref);
          at = end + 1;
          continue;
        }
      }
    }
    const char32_t code_point = next_code_point(html, at);
    if (!in_head)
      writer.text(code_point);
  }
  return writer.finish();
}

std::string text_to_rtf(std::string_view utf8) {
  std::string rtf = kRtfHeader;
  rtf += "\\fs" + std::to_string(kBodyHalfPoints) + ' ';
  std::size_t at = 0;
  while (at < utf8.size()) {
    if (utf8[at] == '\r') {
      ++at;
      continue;
    }
    if (utf8[at] == '\n') {
      rtf += "\\par\n";
      ++at;
      continue;
    }
    append_escaped(rtf, next_code_point(utf8, at));
  }
  rtf += "\\par\n}";
  return rtf;
}

} // namespace qx::views::win32

namespace qx::views::win32 {

bool is_math_sign(char32_t c) {
  const bool scripts = c >= 0x2070 && c <= 0x209F;   // ⁰ ⁱ ₀ ₁ ...
  const bool operators = c >= 0x2200 && c <= 0x22FF; // − √ ∞ ...
  return scripts || operators;
}

RichDocument document_to_rtf(const doc::Document &document,
                             std::string_view symbol_face) {
  using Style = doc::ParagraphStyle;
  // A face name goes into the font table as it stands: only a plain one.
  const bool symbols =
      !symbol_face.empty() &&
      std::all_of(symbol_face.begin(), symbol_face.end(), [](char c) {
        return c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}' &&
               c != ';';
      });
  RichDocument result;
  result.rtf = "{\\rtf1\\ansi\\ansicpg936\\deff0"
               "{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}" +
               (symbols ? "{\\f1\\fnil " + std::string(symbol_face) + ";}"
                        : std::string()) +
               "}"
               "{\\colortbl ;\\red85\\green85\\blue85;\\red0\\green0\\blue238;}"
               "\\viewkind4\\uc1\\f0\\fs" +
               std::to_string(kBodyHalfPoints) + ' ';
  std::size_t position = 0;
  for (const doc::Paragraph &paragraph : document.paragraphs) {
    const std::string text = doc::to_plain_text(paragraph.content);
    std::string format = "\\pard\\sa60";
    std::string group;
    switch (paragraph.style) {
    case Style::Heading:
      format += "\\sb120";
      group = "\\b";
      break;
    case Style::Formula:
      format += "\\li720";
      break;
    case Style::Note:
      group = "\\cf1";
      break;
    case Style::ReturnLink:
      format += "\\sb180";
      group = "\\cf2\\ul";
      break;
    case Style::Body:
      break;
    }
    result.rtf += format + ' ';
    if (!group.empty())
      result.rtf += '{' + group + ' ';
    std::size_t at = 0;
    while (at < text.size()) {
      const char32_t c = next_code_point(text, at);
      if (!symbols || !is_math_sign(c)) {
        append_escaped(result.rtf, c);
        continue;
      }
      result.rtf += "{\\f1 ";
      append_escaped(result.rtf, c);
      result.rtf += '}';
    }
    if (!group.empty())
      result.rtf += '}';
    result.rtf += "\\par\n";
    const std::size_t length = utf16_length(text);
    if (paragraph.style == Style::ReturnLink)
      result.links.emplace_back(position, position + length);
    position += length + 1;
  }
  result.rtf += '}';
  return result;
}

} // namespace qx::views::win32
