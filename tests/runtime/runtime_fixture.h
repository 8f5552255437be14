// A runtime with a headless view, the SDK bound to it, and a small form, for
// the runtime's tests.
#pragma once

#include "runtime/core/runtime.h"
#include "runtime/sdk/sdk.h"
#include "runtime/views/headless/headless_view.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <memory>
#include <vector>

namespace qx::test {

// Controls of the test form.
inline constexpr std::uint32_t kTab = 0x16010001;
inline constexpr std::uint32_t kEditPage0 = 0x16010002; // free input
inline constexpr std::uint32_t kEditPage1 = 0x16010003; // whole numbers
inline constexpr std::uint32_t kButton = 0x16010004;    // event 0 -> 0x10
inline constexpr std::uint32_t kLabel = 0x16010005;     // event -1 -> 0x20
inline constexpr std::uint32_t kCombo = 0x16010006;     // items 1..4
inline constexpr std::uint32_t kResult = 0x16010007;    // read-only
inline constexpr std::uint32_t kView = 0x16010008;      // hypertext view
inline constexpr std::uint32_t kMenuExit = 0x26010002;  // handler 0x30
inline constexpr std::uint32_t kMenuNone = 0x26010003;  // no handler

form::Form make_test_form();

class RuntimeTest : public ::testing::Test {
protected:
  RuntimeTest();
  ~RuntimeTest() override;

  // Installs the test form, binds `on_created` (or a routine doing nothing)
  // to the window's event 0 and loads the window.
  void load_test_window(QxRoutineFn on_created = nullptr);
  // Replaces the runtime with a fresh one (an ended program stays ended)
  // and binds the SDK to it.
  void restart();
  // Runs `body` as the program's entry routine would be run.
  template <typename Body> int run(Body &&body) {
    return runtime->run_body(std::forward<Body>(body));
  }

  // The const section the SDK is bound to: the text "abc" at 0, the double
  // 2.5 at 4, the array {1, 3, 10, 100, 1000} at 12, the header {1, 3} at
  // 32.
  std::vector<unsigned char> const_data;
  QxLinkBlock link{};
  views::HeadlessView *view = nullptr;
  std::unique_ptr<rt::Runtime> runtime;
};

// A record of up to eight arguments built word by word.
struct RawRecord {
  std::vector<std::uint32_t> words{0};
  RawRecord &add(std::uint32_t low, std::uint32_t high, std::uint32_t type) {
    words.insert(words.end(), {low, high, type});
    ++words[0];
    return *this;
  }
  RawRecord &text(const char *value) {
    const auto bits = std::bit_cast<std::uintptr_t>(value);
    return add(static_cast<std::uint32_t>(bits),
               static_cast<std::uint32_t>(std::uint64_t{bits} >> 32),
               QX_TYPE_TEXT);
  }
  RawRecord &integer(std::int32_t value) {
    return add(static_cast<std::uint32_t>(value), 0, QX_TYPE_INTEGER);
  }
  RawRecord &real(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return add(static_cast<std::uint32_t>(bits),
               static_cast<std::uint32_t>(bits >> 32), QX_TYPE_DOUBLE);
  }
  RawRecord &logical(bool value) { return add(value, 0, QX_TYPE_LOGICAL); }
  RawRecord &omitted() { return add(0, 0, 0); }
  const std::uint32_t *data() const { return words.data(); }
};

} // namespace qx::test
