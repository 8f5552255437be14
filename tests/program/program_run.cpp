// Runs the real program image headless through basert.rtp.
#include "tests/program/program_run.h"

#include "platform/library.h"
#include "program/embedded_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#ifndef QUADRIX_BASERT_PATH
#error "QUADRIX_BASERT_PATH names basert.rtp"
#endif

namespace qx::test {
namespace {

// The runtime library, loaded once for the whole test program.
QxRunHeadlessFn headless_entry() {
  static platform::Library library =
      platform::Library::load(QUADRIX_BASERT_PATH);
  if (!library)
    return nullptr;
  return reinterpret_cast<QxRunHeadlessFn>(
      platform::find_symbol(library.handle(), QX_RUN_HEADLESS_NAME));
}

struct RunContext {
  const Play *play;
  std::vector<Message> messages;
};

void drive(rt::HeadlessSession &session, void *context) {
  auto &run = *static_cast<RunContext *>(context);
  EXPECT_EQ(session.outstanding_blocks(), 0u) << "after start-up";
  Player player(session, run.messages);
  (*run.play)(player);
}

void record_message(const char *utf8_text, std::uint32_t flags, void *context) {
  static_cast<RunContext *>(context)->messages.push_back({utf8_text, flags});
}

} // namespace

void Player::page(std::int32_t index) {
  EXPECT_TRUE(m_session.select_page("选择夹1", index)) << "page " << index;
  expect_no_blocks("page", "选择夹1");
}

void Player::type(std::string_view box, std::string_view text) {
  EXPECT_TRUE(m_session.type_text(box, text))
      << "type " << box << " '" << text << "'";
  expect_no_blocks("type", box);
}

void Player::choose(std::string_view combo, std::int32_t index) {
  EXPECT_TRUE(m_session.choose_item(combo, index))
      << "choose " << combo << " " << index;
  expect_no_blocks("choose", combo);
}

void Player::click(std::string_view control) {
  EXPECT_TRUE(try_click(control)) << "click " << control;
}

bool Player::try_click(std::string_view control) {
  const bool accepted = m_session.click(control);
  expect_no_blocks("click", control);
  return accepted;
}

void Player::menu(std::string_view caption) {
  EXPECT_TRUE(m_session.choose_menu_item(caption)) << "menu " << caption;
  expect_no_blocks("menu", caption);
}

std::string Player::text(std::string_view control) {
  const auto text = m_session.text(control);
  EXPECT_TRUE(text.has_value()) << "no control " << control;
  return text.value_or("");
}

bool Player::visible(std::string_view control) {
  const auto visible = m_session.visible(control);
  EXPECT_TRUE(visible.has_value()) << "no control " << control;
  return visible.value_or(false);
}

bool Player::disabled(std::string_view control) {
  const auto disabled = m_session.disabled(control);
  EXPECT_TRUE(disabled.has_value()) << "no control " << control;
  return disabled.value_or(false);
}

std::int32_t Player::selection(std::string_view control) {
  const auto selection = m_session.selection(control);
  EXPECT_TRUE(selection.has_value()) << "no control " << control;
  return selection.value_or(-1);
}

std::vector<Message> Player::take_messages() {
  return std::exchange(m_messages, {});
}

std::size_t Player::outstanding_blocks() const {
  return m_session.outstanding_blocks();
}

void Player::expect_no_blocks(std::string_view action,
                              std::string_view target) {
  EXPECT_EQ(m_session.outstanding_blocks(), 0u)
      << "blocks left after " << action << " " << target;
}

int run_program(const Play &play, std::optional<std::uint64_t> seed) {
  const QxRunHeadlessFn entry = headless_entry();
  EXPECT_NE(entry, nullptr) << "cannot load " << QUADRIX_BASERT_PATH;
  if (!entry)
    return -1;

  // The runtime relocates the image in place: each run gets its own copy,
  // padded with zeros like the one the executable carries.
  constexpr std::size_t kPage = 0x1000;
  const std::size_t size = qx_program_image_size;
  std::vector<unsigned char> image((size + kPage - 1) / kPage * kPage);
  std::memcpy(image.data(), qx_program_image_pristine, size);

  RunContext context{&play, {}};
  QxHeadlessOptions options{};
  options.size = sizeof options;
  options.fix_seed = seed.has_value();
  options.seed = seed.value_or(0);
  options.driver = drive;
  options.on_message = record_message;
  options.context = &context;
  options.image_size = static_cast<std::uint32_t>(image.size());
  return entry(image.data(), &options);
}

} // namespace qx::test
