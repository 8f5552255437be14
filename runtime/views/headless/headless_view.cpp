// The headless view: records instead of windows.
#include "runtime/views/headless/headless_view.h"

#include "document/plain_text.h"
#include "platform/gbk.h"
#include "runtime/core/control_model.h"
#include "runtime/core/input_mode.h"

#include <algorithm>
#include <cassert>

namespace qx::views {
namespace {

// The box model of ShownText.
constexpr int kBytePixels = 6;
constexpr int kEditMargin = 4;

// GBK text with its full-width characters folded; a text that is not clean
// GBK is returned as it is rather than have bad bytes replaced.
std::string fold_gbk(std::string_view gbk) {
  const platform::TextConversion utf8 = platform::convert_gbk_to_utf8(gbk);
  if (utf8.replacements != 0)
    return std::string(gbk);
  const std::string folded = rt::fold_full_width_utf8(utf8.text);
  if (folded == utf8.text)
    return std::string(gbk);
  return platform::utf8_to_gbk(folded);
}

bool is_gbk_lead(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x81 && byte <= 0xFE;
}

// The offsets at which the characters of `gbk` start, and its size last.
std::vector<std::size_t> character_starts(std::string_view gbk) {
  std::vector<std::size_t> starts;
  std::size_t i = 0;
  while (i < gbk.size()) {
    starts.push_back(i);
    i += is_gbk_lead(gbk[i]) && gbk.size() - i >= 2 ? 2 : 1;
  }
  starts.push_back(gbk.size());
  return starts;
}

} // namespace

// Forwards every action to the runtime, folding typed texts first and
// telling the view which box is being typed into.
class HeadlessView::FoldingActions final : public rt::UserActions {
public:
  FoldingActions(HeadlessView &view, rt::UserActions &runtime)
      : m_view(view), m_runtime(runtime) {}

  bool type_text(std::uint32_t control, std::string_view gbk) override {
    m_view.m_typing = control;
    const bool accepted = m_runtime.type_text(control, fold_gbk(gbk));
    m_view.m_typing = 0;
    return accepted;
  }
  bool select_item(std::uint32_t control, std::int32_t index) override {
    return m_runtime.select_item(control, index);
  }
  bool select_page(std::uint32_t tab, std::int32_t page) override {
    return m_runtime.select_page(tab, page);
  }
  bool click(std::uint32_t control) override {
    return m_runtime.click(control);
  }
  bool choose_menu_item(std::uint32_t item) override {
    return m_runtime.choose_menu_item(item);
  }
  bool follow_return_link(std::uint32_t control) override {
    return m_runtime.follow_return_link(control);
  }
  void close_window() override { m_runtime.close_window(); }

private:
  HeadlessView &m_view;
  rt::UserActions &m_runtime;
};

HeadlessView::HeadlessView() = default;
HeadlessView::~HeadlessView() = default;

rt::UserActions &HeadlessView::actions() {
  assert(m_actions && "actions() before create_window");
  return *m_actions;
}

void HeadlessView::create_window(const rt::WindowModel &window,
                                 rt::UserActions &actions) {
  m_window = &window;
  m_actions = std::make_unique<FoldingActions>(*this, actions);
  m_typed.clear();
  m_documents.clear();
}

void HeadlessView::property_changed(const rt::Control &control,
                                    rt::PropertyKind property) {
  ++m_changes;
  if (property == rt::PropertyKind::Document) {
    if (control.document().empty())
      m_documents.erase(control.id());
    else
      m_documents[control.id()] = doc::to_plain_text(control.document());
    return;
  }
  if (property != rt::PropertyKind::Text)
    return;
  if (m_typing == control.id())
    m_typed.insert(control.id());
  else
    m_typed.erase(control.id());
}

HeadlessView::ShownText HeadlessView::shown_text(std::uint32_t control) const {
  const rt::Control *box = m_window ? m_window->find(control) : nullptr;
  if (!box || box->unit_type() != QX_UNIT_EDIT_BOX)
    return {};
  const std::string &text = box->text();
  const std::int64_t room = std::max<std::int64_t>(
      0,
      (std::int64_t{box->record().rect.width} - 2 * kEditMargin) / kBytePixels);
  if (static_cast<std::int64_t>(text.size()) <= room)
    return {text, {}};
  const std::vector<std::size_t> starts = character_starts(text);
  const auto fits = [&](std::size_t from, std::size_t to) {
    return static_cast<std::int64_t>(to - from) <= room;
  };
  std::size_t from = 0;
  std::size_t to = text.size();
  if (m_typed.count(control) != 0) {
    auto first = starts.begin();
    while (!fits(*first, to))
      ++first;
    from = *first;
  } else {
    auto last = starts.rbegin();
    while (!fits(from, *last))
      ++last;
    to = *last;
  }
  return {text.substr(from, to - from), text};
}

const std::string &HeadlessView::shown_document(std::uint32_t control) const {
  static const std::string none;
  const auto found = m_documents.find(control);
  return found == m_documents.end() ? none : found->second;
}

void HeadlessView::show_message_box(std::string_view gbk_text,
                                    std::uint32_t flags) {
  m_messages.push_back({std::string(gbk_text), flags});
  if (m_message_hook)
    m_message_hook(m_messages.back());
}

void HeadlessView::show_runtime_error(std::string_view text) {
  m_errors.emplace_back(text);
  if (m_error_hook)
    m_error_hook(m_errors.back());
}

void HeadlessView::run_message_loop() {
  m_quit = false;
  if (m_driver && m_actions)
    m_driver(*m_actions);
}

} // namespace qx::views
