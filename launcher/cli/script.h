// quadrix-cli's script of user actions: parsing each line and performing it
// on a headless session of the program.
#pragma once

#include "runtime/basert/headless_api.h"
#include "window/form_model.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qx::cli {

// What the script needs to know of the window beyond the session: control
// kinds, input modes, list items and page captions, in UTF-8, read from the
// program's form.
struct FormFacts {
  struct ControlFacts {
    std::uint32_t unit_type = 0;
    std::uint32_t input_mode = form::kInputFree;
    std::vector<std::string> items; // combo box items; tab page captions
  };
  std::map<std::string, ControlFacts, std::less<>> controls; // by name
  std::string tab; // name of the window's tab control; "" when none
};

FormFacts read_form_facts(const form::Form &form);

// Performs script lines on a session. Output of `print` and `state` goes to
// `out`; every refused, unknown or malformed action writes one line
// "error: line N: ..." to `err` and the script goes on.
class ScriptRunner {
public:
  ScriptRunner(const FormFacts &facts, std::ostream &out, std::ostream &err)
      : m_facts(facts), m_out(out), m_err(err) {}

  // Every line of `script`, numbered from 1.
  void run(rt::HeadlessSession &session, std::istream &script);
  // One line (without its line end; a trailing CR is dropped). Blank lines
  // and lines starting with "#" do nothing.
  void run_line(rt::HeadlessSession &session, std::string_view line,
                std::size_t number);
  // True once any action was refused or not understood.
  bool failed() const { return m_failed; }

private:
  using Facts = FormFacts::ControlFacts;

  void page(rt::HeadlessSession &session, std::string_view argument);
  void type(rt::HeadlessSession &session, std::string_view argument);
  void choose(rt::HeadlessSession &session, std::string_view argument);
  void click(rt::HeadlessSession &session, std::string_view argument);
  void enter(rt::HeadlessSession &session, std::string_view name);
  void print(rt::HeadlessSession &session, std::string_view argument);
  void state(rt::HeadlessSession &session, std::string_view argument);

  // The facts of control `name`, or null after reporting it unknown.
  const Facts *control(std::string_view name);
  // The facts of edit box `name`, or null after reporting it unknown, of
  // another kind or unusable (report_unusable).
  const Facts *usable_edit_box(rt::HeadlessSession &session,
                               std::string_view name);
  // Reports why `name` takes no action (hidden, disabled or the program
  // has ended); false when none of these holds.
  bool report_unusable(rt::HeadlessSession &session, std::string_view name);
  void report(std::string_view message);

  const FormFacts &m_facts;
  std::ostream &m_out;
  std::ostream &m_err;
  std::string m_context; // "line N: ACTION ARGUMENT" of the line in hand
  bool m_failed = false;
};

} // namespace qx::cli
