// A small program image for the tests: a window with a button, a label
// and a menu item, built by the real image builder.
#pragma once

#include "program/image_builder.h"

namespace qx::image::test {

inline form::Form small_form(const HandlerOffsetFn &offset_of) {
  form::Form form;
  form::ControlRecord window;
  window.id = QX_WINDOW_RECORD_ID;
  window.unit_type = QX_UNIT_WINDOW;
  window.events = {{0, offset_of({"OnWindowCreated", 0})}};
  window.props = form::WindowProps{};
  form.records.push_back(window);

  form::ControlRecord button;
  button.id = 0x16010005;
  button.unit_type = QX_UNIT_BUTTON;
  button.name = "b";
  button.events = {{0, offset_of({"OnSolve", 0})}};
  button.props = form::ButtonProps{};
  form.records.push_back(button);

  form::ControlRecord label;
  label.id = 0x16010006;
  label.unit_type = QX_UNIT_LABEL;
  label.name = "l";
  label.events = {{-1, offset_of({"OnClick", 3})}};
  label.props = form::LabelProps{};
  form.records.push_back(label);

  form::MenuItemRecord menu;
  menu.id = 0x26010001;
  menu.caption = "m";
  menu.handler = offset_of({"OnSolve", 0});
  form.records.emplace_back(std::move(menu));
  return form;
}

inline ProgramImage small_image() { return build_program_image(small_form); }

} // namespace qx::image::test
