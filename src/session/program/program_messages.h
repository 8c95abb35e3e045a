#pragma once
// A program thread's part in showing messages (show_message on that thread): the session's
// modeless message window and splash window, which the thread must not wait for, are widgets
// of the program's view on the GUI thread; the thread posts to_view::MessageWindow to open,
// change or close them. Installed by the program thread for its whole life.

#include <optional>

#include "foundation/show_message.h"
#include "session/window_messages.h"

namespace kovw::session {

struct ProgramSession;

class ProgramMessages : public foundation::SessionMessageHandler {
 public:
  explicit ProgramMessages(ProgramSession& session) : session_(session) {}

  bool boxes_suppressed() override;
  void set_current_message_flags(int flags) override;
  void show_message_form(int form, const foundation::MessageBoxRequest& request) override;
  bool macro_playback() override;
  void show_playback_message(const foundation::MessageBoxRequest& request) override;
  std::optional<int> show_colour_model_box(const foundation::MessageBoxRequest& request) override;

 private:
  void post(int form, const foundation::MessageBoxRequest& request, int close_after_ms);
  ProgramSession& session_;
};

}  // namespace kovw::session
