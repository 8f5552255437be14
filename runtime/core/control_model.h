// The control model: the window and its controls with their own properties,
// built from a form description. Free of any toolkit.
//
// Every control keeps its own visible flag apart from the visibility of the
// tab page it sits on: a routine reads both together (effective_visible) but
// writes only the control's own flag, so a control hidden by the program
// stays hidden when its page comes back.
#pragma once

#include "document/document.h"
#include "window/form_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qx::rt {

class View;

// One control, or the window itself (unit type QX_UNIT_WINDOW).
class Control {
public:
  explicit Control(const form::ControlRecord &record);

  std::uint32_t id() const { return m_record->id; }
  std::uint32_t unit_type() const { return m_record->unit_type; }
  const std::string &name() const { return m_record->name; } // GBK
  const form::ControlRecord &record() const { return *m_record; }
  bool is_window() const;

  // The control's own flags, whatever its page.
  bool own_visible() const { return m_visible; }
  bool disabled() const { return m_disabled; }
  // Edit box content, caption of a label, button, check box or hyperlink
  // box, the window's title; GBK.
  const std::string &text() const { return m_text; }
  // Combo box: the selected item (-1 none). Tab control: the page on show.
  // 0 for every other kind.
  std::int32_t selection() const { return m_selection; }
  // Hypertext view: the document a routine has it show; empty while it
  // shows its own page (the guide). Empty for every other kind.
  const doc::Document &document() const { return m_document; }

  // The tab control this control sits on (0 for none) and the page index.
  std::uint32_t tab() const { return m_tab; }
  std::int32_t page() const { return m_page; }

  // The code offset of the routine bound to `event`, if any.
  std::optional<std::uint32_t> handler(std::int32_t event) const;
  // Edit boxes: the input mode; every other kind: form::kInputFree.
  std::uint32_t input_mode() const;
  // Combo boxes: the item count; tab controls: the page count; else 0.
  std::int32_t choice_count() const;
  // The value of combo box item `index`; nullopt when there is no such item.
  std::optional<std::int32_t> item_value(std::int32_t index) const;

private:
  friend class WindowModel;

  const form::ControlRecord *m_record;
  bool m_visible = true;
  bool m_disabled = false;
  std::string m_text;
  std::int32_t m_selection = 0;
  doc::Document m_document;
  std::uint32_t m_tab = 0;
  std::int32_t m_page = -1;
};

// The model of one window built from its form description.
class WindowModel {
public:
  // Throws qx::FormatError when the form has no window record, two records
  // share an identifier, or a tab page names a control that does not exist.
  explicit WindowModel(form::Form form);
  WindowModel(const WindowModel &) = delete;
  WindowModel &operator=(const WindowModel &) = delete;

  const form::Form &form() const { return m_form; }
  // The identifier by which routines address the window (0x52010001).
  std::uint32_t window_id() const { return m_form.window_id; }

  Control &window() { return m_controls.front(); }
  const Control &window() const { return m_controls.front(); }
  // The window first, then the controls in form order.
  const std::vector<Control> &controls() const { return m_controls; }
  const std::vector<form::MenuItemRecord> &menu_items() const {
    return m_menu_items;
  }

  // By control identifier; the window answers to its record identifier
  // (0x06010000) and to window_id(). Null when unknown.
  Control *find(std::uint32_t id);
  const Control *find(std::uint32_t id) const;
  // By GBK name; null when no control has that name (the window's empty name
  // finds nothing).
  Control *find_by_name(std::string_view gbk_name);
  const form::MenuItemRecord *find_menu_item(std::uint32_t id) const;
  // A menu item by its caption without the "&" access-key marks (GBK).
  const form::MenuItemRecord *
  find_menu_item_by_caption(std::string_view gbk_caption) const;

  // The visible flag a routine reads: the control's own flag and, for a
  // control on a tab page, that page being the one on show.
  bool effective_visible(const Control &control) const;

  // The button that Enter in edit box `box` presses: the first button after
  // `box` in its page's tab order, that is among the controls of the same
  // page (of the window itself, for a control on no page) that take the
  // keyboard focus, in form order. Null when `box` is not an edit box the
  // user types into (a read-only result box presses nothing) or no button
  // follows it.
  const Control *enter_button(const Control &box) const;

  // Changes notify the attached view (if any) when the value changes.
  void attach_view(View *view) { m_view = view; }
  void set_text(Control &control, std::string gbk);
  void set_visible(Control &control, bool visible);
  void set_disabled(Control &control, bool disabled);
  // `selection` must lie in -1 .. choice_count() - 1 (the caller checks).
  void set_selection(Control &control, std::int32_t selection);
  // The caller checks that `control` is a hypertext view. An empty document
  // brings back the view's own page.
  void set_document(Control &control, doc::Document document);

private:
  form::Form m_form;
  std::vector<Control> m_controls;
  std::vector<form::MenuItemRecord> m_menu_items;
  std::unordered_map<std::uint32_t, std::size_t> m_index;
  View *m_view = nullptr;
};

} // namespace qx::rt
