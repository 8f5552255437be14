// Parsing and performing quadrix-cli's script lines.
#include "launcher/cli/script.h"

#include "platform/gbk.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <ostream>
#include <variant>

namespace qx::cli {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim_end(std::string_view text) {
  while (!text.empty() && is_blank(text.back()))
    text.remove_suffix(1);
  return text;
}

std::string_view trim_start(std::string_view text) {
  while (!text.empty() && is_blank(text.front()))
    text.remove_prefix(1);
  return text;
}

// Splits "WORD REST" at its first space: WORD and everything after that one
// space (REST keeps any further blanks).
std::pair<std::string_view, std::string_view>
split_word(std::string_view text) {
  const std::size_t space = text.find(' ');
  if (space == std::string_view::npos)
    return {text, {}};
  return {text.substr(0, space), text.substr(space + 1)};
}

// A page number: decimal digits only, within the 32-bit range.
std::optional<std::int32_t> parse_index(std::string_view text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(),
                                   [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  std::int32_t value = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

std::optional<std::int32_t> find_item(const std::vector<std::string> &items,
                                      std::string_view text) {
  const auto found = std::find(items.begin(), items.end(), text);
  if (found == items.end())
    return std::nullopt;
  return static_cast<std::int32_t>(found - items.begin());
}

// A menu caption without its access-key marks: "退出(&X)" is "退出(X)".
std::string without_access_keys(std::string_view caption) {
  std::string plain;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      plain += caption[i];
      continue;
    }
    if (i + 1 < caption.size())
      plain += caption[++i];
  }
  return plain;
}

std::string quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

std::vector<std::string> to_utf8(const std::vector<std::string> &gbk) {
  std::vector<std::string> utf8;
  for (const std::string &text : gbk)
    utf8.push_back(platform::gbk_to_utf8(text));
  return utf8;
}

// At most the first kMaxQuotedBytes of a line for an error report, cut
// before a UTF-8 continuation byte, with "..." when something was left off.
constexpr std::size_t kMaxQuotedBytes = 200;

std::string quoted_line(std::string_view line) {
  if (line.size() <= kMaxQuotedBytes)
    return std::string(line);
  std::size_t end = kMaxQuotedBytes;
  while (end > 0 && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
    --end;
  return std::string(line.substr(0, end)) + "...";
}

} // namespace

FormFacts read_form_facts(const form::Form &form) {
  FormFacts facts;
  for (const form::Record &record : form.records) {
    const auto *control = std::get_if<form::ControlRecord>(&record);
    if (!control || control->name.empty())
      continue;
    FormFacts::ControlFacts entry;
    entry.unit_type = control->unit_type;
    if (const auto *edit = std::get_if<form::EditProps>(&control->props))
      entry.input_mode = edit->input_mode;
    if (const auto *combo = std::get_if<form::ComboProps>(&control->props))
      for (const form::ComboItem &item : combo->items)
        entry.items.push_back(platform::gbk_to_utf8(item.text));
    if (const auto *tab = std::get_if<form::TabProps>(&control->props)) {
      entry.items = to_utf8(tab->pages);
      if (facts.tab.empty())
        facts.tab = platform::gbk_to_utf8(control->name);
    }
    facts.controls.emplace(platform::gbk_to_utf8(control->name),
                           std::move(entry));
  }
  return facts;
}

void ScriptRunner::run(rt::HeadlessSession &session, std::istream &script) {
  std::string line;
  for (std::size_t number = 1; std::getline(script, line); ++number)
    run_line(session, line, number);
}

void ScriptRunner::run_line(rt::HeadlessSession &session, std::string_view line,
                            std::size_t number) {
  if (!line.empty() && line.back() == '\r')
    line.remove_suffix(1);
  const std::string_view content = trim_start(line);
  if (trim_end(content).empty() || content.front() == '#')
    return;
  m_context = "line " + std::to_string(number) + ": " + quoted_line(line);

  const auto [action, argument] = split_word(line);
  const std::string_view name = trim_end(argument);
  if (action == "type")
    return type(session, argument);
  if (action == "choose")
    return choose(session, argument);
  if (action == "page")
    return page(session, name);
  if (action == "click")
    return click(session, name);
  if (action == "enter")
    return enter(session, name);
  if (action == "print")
    return print(session, name);
  if (action == "state")
    return state(session, name);
  report("unknown action " + quoted(action) +
         " (page, type, choose, click, enter, print or state)");
}

void ScriptRunner::page(rt::HeadlessSession &session, std::string_view page) {
  if (page.empty())
    return report("page needs a page caption or number");
  if (m_facts.tab.empty())
    return report("the window has no pages");
  const Facts *tab = control(m_facts.tab);
  if (!tab)
    return;
  std::optional<std::int32_t> index = parse_index(page);
  if (!index)
    index = find_item(tab->items, page);
  if (!index || *index >= static_cast<std::int32_t>(tab->items.size()))
    return report("no page " + quoted(page));
  if (report_unusable(session, m_facts.tab))
    return;
  if (!session.select_page(m_facts.tab, *index))
    report("page " + quoted(page) + " was refused");
}

void ScriptRunner::type(rt::HeadlessSession &session,
                        std::string_view argument) {
  // The text is the rest of the line after one space, blanks and all.
  const auto [name, text] = split_word(argument);
  if (name.empty())
    return report("type needs an edit box name");
  const Facts *facts = usable_edit_box(session, name);
  if (!facts)
    return;
  if (facts->input_mode == form::kInputReadOnly)
    return report(std::string(name) + " is read-only");
  if (!session.type_text(name, text))
    report(std::string(name) + " does not accept " + quoted(text));
}

void ScriptRunner::choose(rt::HeadlessSession &session,
                          std::string_view argument) {
  const auto [name, item] = split_word(argument);
  if (name.empty())
    return report("choose needs a combo box name and an item");
  const Facts *facts = control(name);
  if (!facts)
    return;
  if (facts->unit_type != QX_UNIT_COMBO_BOX)
    return report(std::string(name) + " is not a combo box");
  const std::optional<std::int32_t> index =
      find_item(facts->items, trim_end(item));
  if (!index)
    return report(std::string(name) + " has no item " + quoted(item));
  if (report_unusable(session, name))
    return;
  if (!session.choose_item(name, *index))
    report("choosing " + quoted(item) + " was refused");
}

void ScriptRunner::click(rt::HeadlessSession &session, std::string_view name) {
  if (name.empty())
    return report("click needs a control name or a menu item caption");
  const auto found = m_facts.controls.find(name);
  if (found != m_facts.controls.end()) {
    if (report_unusable(session, name))
      return;
    // A click on the hypertext view follows the return link at the end of
    // the working it shows.
    if (found->second.unit_type == QX_UNIT_HYPERTEXT_VIEW) {
      if (!session.follow_return_link(name))
        report(std::string(name) + " shows the guide: no return link");
      return;
    }
    if (!session.click(name))
      report("the click on " + std::string(name) + " was refused");
    return;
  }
  if (session.ended())
    return report("the program has ended");
  if (session.choose_menu_item(name) ||
      session.choose_menu_item(without_access_keys(name)))
    return;
  report("no control or menu item named " + quoted(name));
}

// Enter in an edit box presses the button that follows it; with none, Enter
// does nothing, as in the window.
void ScriptRunner::enter(rt::HeadlessSession &session, std::string_view name) {
  if (name.empty())
    return report("enter needs an edit box name");
  if (usable_edit_box(session, name))
    session.press_enter(name);
}

void ScriptRunner::print(rt::HeadlessSession &session, std::string_view name) {
  if (name.empty())
    return report("print needs a control name");
  const Facts *facts = control(name);
  if (!facts)
    return;
  // A list shows its selected item, a tab control the caption of its page.
  if (!facts->items.empty()) {
    const std::int32_t selected = session.selection(name).value_or(-1);
    const bool known = selected >= 0 && selected < static_cast<std::int32_t>(
                                                       facts->items.size());
    m_out << (known ? facts->items[static_cast<std::size_t>(selected)] : "")
          << '\n'
          << std::flush;
    return;
  }
  m_out << session.text(name).value_or("") << '\n' << std::flush;
}

void ScriptRunner::state(rt::HeadlessSession &session, std::string_view name) {
  if (name.empty())
    return report("state needs a control name");
  if (!control(name))
    return;
  const bool visible = session.visible(name).value_or(false);
  const bool disabled = session.disabled(name).value_or(false);
  m_out << (visible ? "visible" : "hidden") << ' '
        << (disabled ? "disabled" : "enabled") << '\n'
        << std::flush;
}

const ScriptRunner::Facts *ScriptRunner::control(std::string_view name) {
  const auto found = m_facts.controls.find(name);
  if (found != m_facts.controls.end())
    return &found->second;
  report("no control named " + quoted(name));
  return nullptr;
}

const ScriptRunner::Facts *
ScriptRunner::usable_edit_box(rt::HeadlessSession &session,
                              std::string_view name) {
  const Facts *facts = control(name);
  if (!facts)
    return nullptr;
  if (facts->unit_type != QX_UNIT_EDIT_BOX) {
    report(std::string(name) + " is not an edit box");
    return nullptr;
  }
  if (report_unusable(session, name))
    return nullptr;
  return facts;
}

bool ScriptRunner::report_unusable(rt::HeadlessSession &session,
                                   std::string_view name) {
  if (session.ended()) {
    report("the program has ended");
    return true;
  }
  if (!session.visible(name).value_or(false)) {
    report(std::string(name) + " is hidden");
    return true;
  }
  if (session.disabled(name).value_or(false)) {
    report(std::string(name) + " is disabled");
    return true;
  }
  return false;
}

void ScriptRunner::report(std::string_view message) {
  // The message may quote a name from the line: no more of it than of the
  // line itself.
  m_err << "error: " << m_context << ": " << quoted_line(message) << '\n'
        << std::flush;
  m_failed = true;
}

} // namespace qx::cli
