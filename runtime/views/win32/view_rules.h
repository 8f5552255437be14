// The decisions of the Win32 view that need no window: the keyboard focus
// chain, which page Ctrl+Tab turns to, where a link's address leads, folding
// of typed UTF-16 text and the guide page as rich text. Portable, so that
// they are tested on every build.
#pragma once

#include "document/document.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::rt {
class WindowModel;
}

namespace qx::views::win32 {

// The controls that take the keyboard focus, in the order Tab visits them:
// the window's tab controls, then the window's other controls, then the
// controls on tab pages, each group in form order (the order the desktop
// views create their widgets in).
std::vector<std::uint32_t> focus_chain(const rt::WindowModel &window);

// The control Tab (forward) or Shift+Tab moves the focus to from `current`:
// the next control of `chain` after `current`, round the end, that
// `can_focus` allows. From a control not in the chain (or 0) the first
// (last, backward) allowed one. 0 when none is allowed; `current` itself
// when it is the only one.
std::uint32_t next_focus(const std::vector<std::uint32_t> &chain,
                         std::uint32_t current, bool forward,
                         const std::function<bool(std::uint32_t)> &can_focus);

// The tab control that Ctrl+Tab turns while control `focused` has the focus:
// the tab control itself or the one whose page `focused` lies on; 0 for
// anything else (the keys then do nothing).
std::uint32_t ctrl_tab_control(const rt::WindowModel &window,
                               std::uint32_t focused);

// The page after (before, backward) `page` among `count` pages, round the
// end; -1 when there are no pages. A `page` outside 0 .. count - 1 turns to
// the first (last) page.
std::int32_t turned_page(std::int32_t page, std::int32_t count, bool forward);

// Where an address of a hyperlink box or the hypertext view leads.
struct LinkTarget {
  enum class TargetKind {
    Web,     // an address on the network, opened as it stands
    Shipped, // a page shipped beside the runtime: `value` is its file name
    Nothing, // the local host, but no page it may show
  };
  TargetKind kind = TargetKind::Nothing;
  std::string value;
};

// The local host `local_host` (case-insensitive, with http or https) names
// the shipped pages: its root the page `root_page`, "/NAME" the file NAME
// when it is a plain file name ending in ".htm" or ".html" (no directory,
// no leading dot, no drive or stream colon). Query and fragment are
// ignored. Every other non-empty address is a web address; an empty one
// leads nowhere.
LinkTarget resolve_link(std::string_view address, std::string_view local_host,
                        std::string_view root_page);

// `text` with the full-width forms of ASCII (U+FF01 to U+FF5E) and the
// ideographic space folded as typed text is (rt::fold_full_width). Every
// UTF-16 unit keeps its place, so a caret position stays valid.
std::u16string fold_full_width(std::u16string text);

// A page of HTML (UTF-8) as a rich-text (RTF) document the text control
// shows: headings bold and larger, paragraphs, list items with a bullet,
// bold and italic spans, line breaks; the character references of HTML
// resolved; the head, scripts, styles and comments left out; runs of white
// space shown as one blank. Every character beyond ASCII is written as a
// Unicode escape, so the result is ASCII; bytes that are not UTF-8 show as
// U+FFFD. Unclosed or stray tags never unbalance the document's groups.
std::string html_to_rtf(std::string_view html);

// Plain UTF-8 text as a rich-text document: one paragraph per line.
std::string text_to_rtf(std::string_view utf8);

// A routine's working as the text control shows it.
struct RichDocument {
  std::string rtf;
  // Where each return link lies in the text the control then holds, as
  // [first, last) in UTF-16 units, each paragraph break counting one.
  std::vector<std::pair<std::size_t, std::size_t>> links;
};

// The working one paragraph at a time in its plain-text form (fractions as
// "3/4", roots as "√8"): headings bold, formulas indented, notes grey, the
// return link blue and underlined. Line breaks inside a paragraph's text
// show as blanks, so that every character keeps one place. The signs of
// mathematics the Song face lacks (raised and lowered digits, the minus
// sign and the other operators) are written in `symbol_face` (ASCII), when
// one is given.
RichDocument document_to_rtf(const doc::Document &document,
                             std::string_view symbol_face = {});

// Whether `c` is one of the signs document_to_rtf writes in the symbol face.
bool is_math_sign(char32_t c);

} // namespace qx::views::win32
