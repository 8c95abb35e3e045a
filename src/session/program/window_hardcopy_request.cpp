#include "session/program/window_hardcopy_request.h"

#include "foundation/log.h"
#include "session/program/program_session.h"
#include "session/program/text_screen.h"
#include "session/window_messages.h"

namespace kovw::session {

void request_window_hardcopy(ProgramSession& session, int parameter) {
  const bool text = session.screen_kind == kScreenText && session.text_screen != nullptr;
  if (!text && session.screen_kind != kScreenGraphics && session.screen_kind != kScreenGraphics2) {
    foundation::log_printf("Hardcopy: Fenster ohne Textbildschirm oder Grafik (%d)",
                           session.screen_kind);
    return;
  }
  to_view::Hardcopy message;
  message.parameter = parameter;
  // The window's description: its caption and the connection's name.
  message.description = QStringLiteral("%1 (%2)").arg(QString::fromStdString(session.caption),
                                                      QString::fromStdString(session.title));
  message.text_screen = text;
  if (text) {
    const TextScreen& screen = *session.text_screen;
    message.columns = screen.columns();
    message.cells.reserve(static_cast<std::size_t>(screen.columns()) *
                          static_cast<std::size_t>(screen.rows()));
    for (int row = 0; row < screen.rows(); ++row) {
      const auto cells = screen.row_cells(row);
      message.cells.insert(message.cells.end(), cells.begin(), cells.end());
    }
    message.view = screen.view();
  }
  post_to_view(*session.to_view, std::move(message));
}

}  // namespace kovw::session
