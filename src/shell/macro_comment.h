#pragma once
// The comment a user writes into a recording (Shift+F3 in the program window): a title of up to
// 20 characters and a text of up to 128, written as a comment record that playback skips.

#include <functional>
#include <optional>
#include <string>

namespace kovw::shell {

struct MacroComment {
  std::string title;
  std::string text;
};

// Asks for a comment in a dialog on the GUI thread; the calling (program) thread waits for it.
// nullopt when the user cancels, in unattended runs, or without an application.
std::optional<MacroComment> ask_macro_comment();

namespace testing {
// Answers ask_macro_comment instead of the dialog (empty: the dialog again).
void set_macro_comment_responder(std::function<std::optional<MacroComment>()> responder);
}  // namespace testing

}  // namespace kovw::shell
