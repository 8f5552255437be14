// Runs the real program image in the real runtime (basert.rtp's headless
// entry) with a test playing the user, and checks the runtime's block
// accounting after every action.
#pragma once

#include "runtime/basert/headless_api.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::test {

// A message box the program showed: its text in UTF-8 and its style.
struct Message {
  std::string text;
  std::uint32_t flags = 0;

  friend bool operator==(const Message &, const Message &) = default;
};

// The user's side of one program run. Every action expects to be accepted
// and every block the program obtained during it to be freed again; both
// are gtest expectations, so a test goes on after a failure.
class Player {
public:
  Player(rt::HeadlessSession &session, std::vector<Message> &messages)
      : m_session(session), m_messages(messages) {}

  // Shows tab page `index` (0 to 4) of 选择夹1.
  void page(std::int32_t index);
  void type(std::string_view box, std::string_view text);
  // Selects item `index` of a combo box.
  void choose(std::string_view combo, std::int32_t index);
  void click(std::string_view control);
  void menu(std::string_view caption);
  // Clicks and reports whether the click was accepted; the block check
  // still applies.
  bool try_click(std::string_view control);

  std::string text(std::string_view control);
  bool visible(std::string_view control);
  bool disabled(std::string_view control);
  std::int32_t selection(std::string_view control);

  // The message boxes shown since the last call.
  std::vector<Message> take_messages();
  std::size_t outstanding_blocks() const;
  rt::HeadlessSession &session() { return m_session; }

private:
  void expect_no_blocks(std::string_view action, std::string_view target);

  rt::HeadlessSession &m_session;
  std::vector<Message> &m_messages;
};

using Play = std::function<void(Player &)>;

// Loads a fresh copy of the program image into basert.rtp and runs it
// headless; `play` runs as the message loop. With a seed, the random source
// draws from it, also after the program reseeds. Returns the exit status.
int run_program(const Play &play, std::optional<std::uint64_t> seed = 1);

// The style of the program's message boxes: information icon, OK button.
inline constexpr std::uint32_t kInformation = 0x40;

} // namespace qx::test
