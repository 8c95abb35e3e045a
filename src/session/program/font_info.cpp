#include "session/program/font_info.h"

#include <QFont>
#include <QImage>
#include <algorithm>
#include <cmath>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "graphics/font_info_reply.h"
#include "graphics/font_metrics.h"
#include "graphics/world_mapping.h"
#include "net/link_names.h"
#include "platform/font_substitution.h"
#include "protocol/program/host_versions.h"
#include "session/program/command_table.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/program/screen_metrics.h"

namespace kovw::session {

namespace {

// The second type that asks for font information (named after a speech call in the catalogue
// of message types, but a font request on the wire).
constexpr int kShortFontInfo = net::KWK_GSPEAK;

void answer_font_info(ProgramSession& session, const Command& command) {
  if (const auto request = protocol::parse_font_request(command.payload); !request)
    log_parse_failure(request.error());
  const bool extended = command.type == net::KWK_GFONT;
  const bool wide = extended && session.host_version >= protocol::kVersionGlyphTable;
  const protocol::FontInfo info = default_font_info(session.screen_font, screen_dpi(), wide);
  foundation::log_printf("Send Font Info %s %d/%d/%d", info.name.c_str(), info.metrics[3],
                         info.metrics[4], info.metrics[5]);
  const protocol::Outgoing reply =
      protocol::build_font_info(command.type, info, session.host_version);
  dt_send(session, reply.service, reply.type, reply.payload);
}

}  // namespace

protocol::FontInfo default_font_info(const ScreenFont& font, int dpi, bool wide_widths) {
  QFont qfont(platform::substitute_font_family(
      QString::fromStdU16String(foundation::host_to_wide(font.name))));
  const int tenths = font.tenths > 0 ? font.tenths : 100;
  qfont.setPixelSize(std::max(1, static_cast<int>(std::lround(tenths * dpi / 720.0))));
  qfont.setKerning(false);
  qfont.setStyleStrategy(QFont::PreferNoShaping);
  const graphics::FontMetrics metrics = graphics::measure_font(qfont, nullptr, wide_widths);
  // One world unit per pixel.
  const graphics::WorldMapping same = graphics::fit_world(1, 1, 1, 1, false);
  return graphics::font_info_reply(metrics, font.name, same);
}

void register_font_info_commands(CommandTable& table) {
  for (const int type : {net::KWK_GFONT, kShortFontInfo}) {
    table.add(net::KWD_DIGRA, type, [](ProgramSession& session, const Command& command) {
      answer_font_info(session, command);
    });
  }
}

}  // namespace kovw::session
