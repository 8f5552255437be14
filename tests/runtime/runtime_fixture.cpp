// The runtime test fixture and its form.
#include "tests/runtime/runtime_fixture.h"

namespace qx::test {

form::Form make_test_form() {
  form::Form form;
  form::ControlRecord window;
  window.id = QX_WINDOW_RECORD_ID;
  window.unit_type = QX_UNIT_WINDOW;
  window.events = {{0, 0x40}};
  form::WindowProps window_props;
  window_props.title = "Test";
  window.props = window_props;
  form.records.emplace_back(window);

  auto control = [&](std::uint32_t id, std::uint32_t unit, const char *name,
                     form::Props props) -> form::ControlRecord & {
    form::ControlRecord record;
    record.id = id;
    record.unit_type = unit;
    record.name = name;
    record.props = std::move(props);
    return std::get<form::ControlRecord>(form.records.emplace_back(record));
  };
  form::TabProps tab_props;
  tab_props.pages = {"p0", "p1"};
  control(kTab, QX_UNIT_TAB_CONTROL, "tab", tab_props).pages = {
      {kEditPage0, kResult}, {kEditPage1, kCombo}};
  control(kEditPage0, QX_UNIT_EDIT_BOX, "edit0", form::EditProps{});
  form::EditProps whole;
  whole.input_mode = form::kInputWholeNumber;
  control(kEditPage1, QX_UNIT_EDIT_BOX, "edit1", whole);
  form::ButtonProps button;
  button.caption = "Go";
  control(kButton, QX_UNIT_BUTTON, "button", button).events = {{0, 0x10}};
  form::LabelProps label;
  label.caption = "link";
  control(kLabel, QX_UNIT_LABEL, "label", label).events = {{-1, 0x20}};
  form::ComboProps combo;
  combo.items = {{1, "+"}, {2, "-"}, {3, "*"}, {4, "/"}};
  control(kCombo, QX_UNIT_COMBO_BOX, "combo", combo);
  form::EditProps read_only;
  read_only.input_mode = form::kInputReadOnly;
  control(kResult, QX_UNIT_EDIT_BOX, "result", read_only);
  form::HypertextProps page;
  page.address = "http://quadrix.invalid/";
  control(kView, QX_UNIT_HYPERTEXT_VIEW, "view", page);

  form::MenuItemRecord menu;
  menu.id = 0x26010001;
  menu.caption = "&Tools";
  form.records.emplace_back(menu);
  menu.id = kMenuExit;
  menu.level = 1;
  menu.caption = "E&xit";
  menu.handler = 0x30;
  form.records.emplace_back(menu);
  menu.id = kMenuNone;
  menu.caption = "-";
  menu.handler = form::kNoHandler;
  form.records.emplace_back(menu);
  return form;
}

RuntimeTest::RuntimeTest() {
  auto headless = std::make_unique<views::HeadlessView>();
  view = headless.get();
  runtime = std::make_unique<rt::Runtime>(std::move(headless));

  const std::uint32_t divisors[] = {1, 3, 10, 100, 1000};
  const std::uint32_t shape[] = {1, 3};
  const double two_and_a_half = 2.5;
  const_data.assign(40, 0);
  std::memcpy(const_data.data(), "abc", 4);
  std::memcpy(const_data.data() + 4, &two_and_a_half, 8);
  std::memcpy(const_data.data() + 12, divisors, sizeof divisors);
  std::memcpy(const_data.data() + 32, shape, sizeof shape);

  link.service_table = std::bit_cast<std::uintptr_t>(&runtime->service_table());
  link.const_data = std::bit_cast<std::uintptr_t>(const_data.data());
  link.const_size = static_cast<std::uint32_t>(const_data.size());
  EXPECT_TRUE(sdk::bind(&link));
}

RuntimeTest::~RuntimeTest() {
  // Every block handed out during a test comes back.
  EXPECT_EQ(runtime->blocks().outstanding_blocks(), 0u);
  EXPECT_EQ(runtime->blocks().outstanding_bytes(), 0u);
}

void RuntimeTest::restart() {
  runtime.reset();
  auto headless = std::make_unique<views::HeadlessView>();
  view = headless.get();
  runtime = std::make_unique<rt::Runtime>(std::move(headless));
  link.service_table = std::bit_cast<std::uintptr_t>(&runtime->service_table());
  ASSERT_TRUE(sdk::bind(&link));
}

void RuntimeTest::load_test_window(QxRoutineFn on_created) {
  runtime->install_form(make_test_form());
  runtime->bind_routine(0x40, {"created", on_created ? on_created : [] {}, {}});
  runtime->load_window(QX_MAIN_WINDOW);
}

} // namespace qx::test
