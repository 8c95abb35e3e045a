#include "session/program/text_output.h"

#include <QString>
#include <functional>
#include <memory>

#include "foundation/log.h"
#include "protocol/program/screen_definition.h"
#include "session/program/cursor_kind_numbers.h"
#include "session/program/frame.h"
#include "session/program/key_buffer.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"
#include "session/program/qt_colour.h"
#include "session/program/text_output_pacing.h"
#include "session/program/text_screen.h"
#include "session/program/text_screen_port.h"
#include "session/program/text_screen_update.h"
#include "session/program/window_hardcopy_request.h"
#include "session/window_messages.h"

namespace kovw::session {

namespace {

constexpr int kDefaultCaretWidth = 2;
constexpr int kMaxCaretWidth = 30;

// What the output stream asks of the program: sounds, cursors, the context menu and the state
// of key bar items, the window hardcopy.
class SessionTextEffects : public TextScreenEffects {
 public:
  explicit SessionTextEffects(ProgramSession& session) : session_(session) {}
  void beep() override { host_beep(session_); }
  void set_cursor_kind(int kind) override { session::set_cursor_kind(session_, kind); }
  void request_hardcopy(int parameter) override { request_window_hardcopy(session_, parameter); }
  void activate_context_menu() override { context_menu_activate(session_, 0); }
  void set_item_state(int command_code, int state) override {
    frame_command_state(session_, command_code, state);
  }

 private:
  ProgramSession& session_;
};

std::array<QColor, 16> to_qcolors(const std::array<Rgb, kTextColourCount>& table) {
  std::array<QColor, 16> colours;
  for (std::size_t i = 0; i < colours.size(); ++i) colours[i] = to_qcolor(table[i]);
  return colours;
}

}  // namespace

void text_screen_create(ProgramSession& session, int columns, int rows, bool field_layout) {
  session.text_screen = std::make_unique<TextScreen>(columns, rows);
  const SessionHost& host = *session.host_hooks;
  TextScreenLook look;
  look.font_name = QString::fromStdString(session.screen_font.name);
  look.font_tenths = session.screen_font.tenths;
  look.field_layout = field_layout;
  const ColourModel& model = session.colour_model;
  look.foreground_colours = to_qcolors(model.foreground_table());
  look.background_colours = to_qcolors(model.background_table());
  look.edge_light = to_qcolor(model.edge_highlight());
  look.edge_shadow = to_qcolor(model.edge_shadow());
  look.button_face = to_qcolor(model.button_face());
  look.button_text = to_qcolor(model.button_text());
  look.caret_width = host.caret_width >= 1 && host.caret_width <= kMaxCaretWidth
                         ? host.caret_width
                         : kDefaultCaretWidth;
  look.caret_suppressed = (session.screen_style & protocol::kStyleNoCaret) != 0;
  post_to_view(*session.to_view, to_view::TextScreen{look});
  session.text_pacer = std::make_shared<TextOutputPacer>([&session](std::function<void()> done) {
    post_to_view(*session.to_view,
                 to_view::TextRows{session.text_screen->take_update(), Receipt(std::move(done))});
  });
  session.text_pacer->flush();
  session.screen = std::make_unique<TextScreenPort>();
}

void text_screen_release(ProgramSession& session) {
  if (!session.text_screen) return;
  session.text_pacer.reset();
  session.text_screen.reset();
  session.screen.reset();
  post_to_view(*session.to_view, to_view::TextScreen{std::nullopt});
}

void text_output(ProgramSession& session, std::span<const std::uint8_t> bytes) {
  if (!session.text_screen) return;
  SessionTextEffects effects(session);
  session.text_screen->output(bytes, effects);
  if (session.text_screen->has_changes()) session.text_pacer->changed();
}

void text_flush(ProgramSession& session) {
  if (session.text_screen && session.text_pacer && session.text_screen->has_changes()) {
    session.text_pacer->flush();
  }
}

bool text_close_request(ProgramSession& session) {
  if (session.cursor_kind == kCursorWait) return false;
  return !session.keys.put(kKeyClose);
}

}  // namespace kovw::session
