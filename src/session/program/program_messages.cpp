#include "session/program/program_messages.h"

#include <QString>

#include "session/program/program_session.h"

namespace kovw::session {

namespace {
constexpr int kPlaybackMessageMs = 1000;
}

bool ProgramMessages::boxes_suppressed() {
  return session_.screen_kind == kScreenGraphics2 && !session_.boxes_on_graphics_allowed;
}

void ProgramMessages::set_current_message_flags(int flags) {
  session_.current_message_flags = flags;
}

void ProgramMessages::show_message_form(int form, const foundation::MessageBoxRequest& request) {
  post(form, request, 0);
}

bool ProgramMessages::macro_playback() {
  return session_.macro_playback;
}

void ProgramMessages::show_playback_message(const foundation::MessageBoxRequest& request) {
  post(foundation::kMsgFormOpenWindow, request, kPlaybackMessageMs);
}

std::optional<int> ProgramMessages::show_colour_model_box(const foundation::MessageBoxRequest&) {
  // Boxes take the workstation's own dialog form only while the session's colour model is on;
  // until a screen switches it on they are system boxes.
  return std::nullopt;
}

void ProgramMessages::post(int form, const foundation::MessageBoxRequest& request,
                           int close_after_ms) {
  post_to_view(*session_.to_view,
               to_view::MessageWindow{form, close_after_ms, QString::fromStdString(request.text),
                                      QString::fromStdString(request.caption)});
}

}  // namespace kovw::session
