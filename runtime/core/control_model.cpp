// The control model built from a form description.
#include "runtime/core/control_model.h"

#include "base/format_error.h"
#include "runtime/core/view.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace qx::rt {
namespace {

std::string hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", value);
  return buffer;
}

// The caption a control shows when the window is created.
struct InitialText {
  std::string operator()(const form::WindowProps &p) const { return p.title; }
  std::string operator()(const form::LabelProps &p) const { return p.caption; }
  std::string operator()(const form::ButtonProps &p) const { return p.caption; }
  std::string operator()(const form::CheckBoxProps &p) const {
    return p.caption;
  }
  std::string operator()(const form::HyperlinkProps &p) const {
    return p.caption;
  }
  std::string operator()(const auto &) const { return {}; }
};

// Drops the "&" access-key marks of a menu caption ("&&" stands for "&").
std::string strip_access_keys(std::string_view caption) {
  std::string plain;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size())
      ++i;
    else if (caption[i] == '&')
      continue;
    plain += caption[i];
  }
  return plain;
}

} // namespace

Control::Control(const form::ControlRecord &record)
    : m_record(&record), m_visible((record.flags & form::kFlagVisible) != 0),
      m_disabled((record.flags & form::kFlagDisabled) != 0),
      m_text(std::visit(InitialText{}, record.props)) {
  // Combo boxes start on their first item; an empty list selects nothing.
  if (const auto *combo = std::get_if<form::ComboProps>(&record.props))
    m_selection = combo->items.empty() ? -1 : 0;
}

bool Control::is_window() const { return unit_type() == QX_UNIT_WINDOW; }

std::optional<std::uint32_t> Control::handler(std::int32_t event) const {
  for (const form::EventBinding &binding : m_record->events)
    if (binding.event == event)
      return binding.handler;
  return std::nullopt;
}

std::uint32_t Control::input_mode() const {
  if (const auto *edit = std::get_if<form::EditProps>(&m_record->props))
    return edit->input_mode;
  return form::kInputFree;
}

std::int32_t Control::choice_count() const {
  if (const auto *combo = std::get_if<form::ComboProps>(&m_record->props))
    return static_cast<std::int32_t>(combo->items.size());
  if (const auto *tab = std::get_if<form::TabProps>(&m_record->props))
    return static_cast<std::int32_t>(
        std::max(tab->pages.size(), m_record->pages.size()));
  return 0;
}

std::optional<std::int32_t> Control::item_value(std::int32_t index) const {
  const auto *combo = std::get_if<form::ComboProps>(&m_record->props);
  if (!combo || index < 0 ||
      static_cast<std::size_t>(index) >= combo->items.size())
    return std::nullopt;
  return combo->items[static_cast<std::size_t>(index)].value;
}

WindowModel::WindowModel(form::Form form) : m_form(std::move(form)) {
  // The window's record comes first; find it wherever it stands so that the
  // model's window() is always the front control.
  const form::ControlRecord *window_record = nullptr;
  for (const form::Record &record : m_form.records) {
    const auto *control = std::get_if<form::ControlRecord>(&record);
    if (control && control->unit_type == QX_UNIT_WINDOW) {
      window_record = control;
      break;
    }
  }
  if (!window_record)
    throw FormatError("form: no window record");
  m_controls.reserve(m_form.records.size());
  m_controls.emplace_back(*window_record);
  m_index.emplace(window_record->id, 0);

  for (const form::Record &record : m_form.records) {
    if (const auto *item = std::get_if<form::MenuItemRecord>(&record)) {
      if (!m_index.emplace(item->id, m_menu_items.size()).second ||
          item->id == m_form.window_id)
        throw FormatError("form: identifier " + hex(item->id) +
                          " is used twice");
      m_menu_items.push_back(*item);
      continue;
    }
    const auto &control = std::get<form::ControlRecord>(record);
    if (&control == window_record)
      continue;
    if (!m_index.emplace(control.id, m_controls.size()).second ||
        control.id == m_form.window_id)
      throw FormatError("form: identifier " + hex(control.id) +
                        " is used twice");
    m_controls.emplace_back(control);
  }
  // Menu item indices were stored in the same map as control indices; keep
  // controls only and look menu items up by a scan (there are few).
  for (const form::MenuItemRecord &item : m_menu_items)
    m_index.erase(item.id);

  for (const Control &tab : m_controls) {
    const auto &pages = tab.record().pages;
    for (std::size_t page = 0; page < pages.size(); ++page) {
      for (std::uint32_t child_id : pages[page]) {
        Control *child = find(child_id);
        if (!child || child->is_window() || child == &tab)
          throw FormatError("form: tab control " + hex(tab.id()) + " page " +
                            std::to_string(page) + " names control " +
                            hex(child_id) + ", which does not exist");
        child->m_tab = tab.id();
        child->m_page = static_cast<std::int32_t>(page);
      }
    }
  }
}

Control *WindowModel::find(std::uint32_t id) {
  if (id == m_form.window_id)
    return &window();
  auto found = m_index.find(id);
  return found == m_index.end() ? nullptr : &m_controls[found->second];
}

const Control *WindowModel::find(std::uint32_t id) const {
  return const_cast<WindowModel *>(this)->find(id);
}

Control *WindowModel::find_by_name(std::string_view gbk_name) {
  if (gbk_name.empty())
    return nullptr;
  for (Control &control : m_controls)
    if (control.name() == gbk_name)
      return &control;
  return nullptr;
}

const form::MenuItemRecord *
WindowModel::find_menu_item(std::uint32_t id) const {
  for (const form::MenuItemRecord &item : m_menu_items)
    if (item.id == id)
      return &item;
  return nullptr;
}

const form::MenuItemRecord *
WindowModel::find_menu_item_by_caption(std::string_view gbk_caption) const {
  for (const form::MenuItemRecord &item : m_menu_items)
    if (strip_access_keys(item.caption) == gbk_caption)
      return &item;
  return nullptr;
}

bool WindowModel::effective_visible(const Control &control) const {
  if (!control.own_visible())
    return false;
  if (control.tab() == 0)
    return true;
  const Control *tab = find(control.tab());
  return tab && tab->selection() == control.page();
}

const Control *WindowModel::enter_button(const Control &box) const {
  if (box.unit_type() != QX_UNIT_EDIT_BOX ||
      box.input_mode() == form::kInputReadOnly)
    return nullptr;
  const auto in_same_tab_order = [&box](const Control &c) {
    return !c.is_window() && c.tab() == box.tab() && c.page() == box.page() &&
           (c.record().flags & form::kFlagTakesFocus) != 0;
  };
  const auto at = std::find_if(m_controls.begin(), m_controls.end(),
                               [&box](const Control &c) { return &c == &box; });
  if (at == m_controls.end())
    return nullptr;
  for (auto next = at + 1; next != m_controls.end(); ++next)
    if (in_same_tab_order(*next) && next->unit_type() == QX_UNIT_BUTTON)
      return &*next;
  return nullptr;
}

void WindowModel::set_text(Control &control, std::string gbk) {
  if (control.m_text == gbk)
    return;
  control.m_text = std::move(gbk);
  if (m_view)
    m_view->property_changed(control, PropertyKind::Text);
}

void WindowModel::set_visible(Control &control, bool visible) {
  if (control.m_visible == visible)
    return;
  control.m_visible = visible;
  if (m_view)
    m_view->property_changed(control, PropertyKind::Visible);
}

void WindowModel::set_disabled(Control &control, bool disabled) {
  if (control.m_disabled == disabled)
    return;
  control.m_disabled = disabled;
  if (m_view)
    m_view->property_changed(control, PropertyKind::Disabled);
}

void WindowModel::set_document(Control &control, doc::Document document) {
  if (control.m_document == document)
    return;
  control.m_document = std::move(document);
  if (m_view)
    m_view->property_changed(control, PropertyKind::Document);
}

void WindowModel::set_selection(Control &control, std::int32_t selection) {
  if (control.m_selection == selection)
    return;
  control.m_selection = selection;
  if (m_view)
    m_view->property_changed(control, PropertyKind::Selection);
}

} // namespace qx::rt
