#include "session/program/screen_initialisation.h"

#include <QString>

#include "foundation/log.h"
#include "foundation/message_table.h"
#include "protocol/program/host_versions.h"
#include "protocol/program/screen_definition.h"
#include "session/program/colour_model.h"
#include "session/program/cursor_kind_numbers.h"
#include "session/program/frame.h"
#include "session/program/icon_view.h"
#include "session/program/input_fields.h"
#include "session/program/model_look.h"
#include "session/program/program_list.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"
#include "session/program/screen_font.h"
#include "session/program/screen_metrics.h"
#include "session/program/system_colours.h"
#include "session/program/text_output.h"
#include "session/program/window_geometry.h"
#include "session/window_messages.h"

namespace kovw::session {

namespace {

constexpr int kModeIconStyle = 5;

// Shows the windows once: the main window at the defined position with the defined content
// size. A child program attaches to its parent when its windows are first shown.
void show_windows(ProgramSession& session) {
  // A new main window cascades when it shows text, a menu program or a list; graphics windows
  // and icon views are only kept on the desktop.
  to_view::ShowWindows show{session.window_x, session.window_y, session.content_width,
                            session.content_height, QString::fromStdString(session.caption)};
  show.first_show = !session.windows_shown;
  show.cascade = session.screen_kind == kScreenText || session.screen_kind == kScreenNone;
  post_to_view(*session.to_view, std::move(show));
  if (session.windows_shown) return;
  session.windows_shown = true;
  if (session.parent_thread_id == 0) return;
  ProgramInfo parent;
  if (find_program(session.parent_thread_id, &parent))
    post_to_program(*parent.to_program, to_program::ChildProgram{true, session.main_window});
}

}  // namespace

int font_scale_for(int font_factor, int dpi) {
  if (font_factor == 0) return 100;
  if (font_factor != 1) return font_factor;
  // Automatic: the pixel size in hundredths of a millimetre against 0.28 mm.
  const int pixel_size = dpi > 0 ? 2540 / dpi : 0;
  return pixel_size > 0 ? 2800 / pixel_size : 100;
}

int screen_kind_for_mode(int mode) {
  switch (mode) {
    case 1:
      return kScreenText;
    case 2:
      return kScreenGraphics;
    case 4:
      return kScreenIcons;
    case 5:
      return kScreenIconStyle;
    default:  // mode 3 and anything outside 1 to 5: a text screen in field layout
      return kScreenText;
  }
}

void initialise_screen(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const int version = session.host_version;
  const auto parsed = protocol::parse_screen_definition(payload, version);
  if (!parsed) {
    foundation::log_printf("dh_init: %s", parsed.error().message.c_str());
    return;
  }
  const protocol::ScreenDefinition& screen = *parsed;
  // The views of an icon view belong to the screen they were made for.
  icon_view_release(session);
  // Keys typed for the old screen mean nothing to the new one.
  session.keys.clear();
  session.key_translator.clear();
  protocol::ScreenOptions options = screen.screen_options;
  session.definition_options = options;
  const SystemColourTable system = system_colours();
  normalise_screen_options(options, system);
  if (version >= protocol::kVersionExtendedOptions) {
    session.extended_options = screen.extended_options;
    session.host_sets_font_names = true;
  }
  session.screen_style = screen.mode_and_style;
  session.screen_kind = screen_kind_for_mode(screen.screen_mode());
  session.screen_ready = false;
  field_drop(session);  // a field belongs to the screen it was asked for
  session.edit_area.reset();
  session.content_width = screen.width;
  session.content_height = screen.height;
  // Embedded programs sit at the origin of their parent's window.
  const bool embedded = (session.status & kStatusEmbedded) != 0;
  place_for_definition(session, screen.x, screen.y, embedded);
  session.screen_options = options;
  // The definition may switch the program thread's language (its messages and texts).
  if (const int language = screen.language(); language != 0 && language != foundation::language())
    foundation::set_thread_language(language);
  session.font_scale_percent = font_scale_for(session.host_hooks->font_factor, screen_dpi());
  session.screen_font =
      screen_font_for(screen.screen_mode(), *session.host_hooks, session.font_scale_percent,
                      screen.font_name, screen.font_size);
  // The definition's title is the caption from now on; an empty one leaves none.
  session.caption = QString::fromStdU16String(screen.wide_title()).toStdString();

  // Every kind of screen draws with the model values of its definition.
  ModelContext context;
  context.screen_kind = session.screen_kind;
  context.host_version = version;
  context.font_scale_percent = session.font_scale_percent;
  context.font_factor = session.font_scale_percent;
  session.colour_model = apply_colour_model(session.screen_options, context, system);
  session.colour_model_applied = true;
  // The model's brushes and main font are the look of the program's windows.
  post_to_view(*session.to_view,
               model_look(session.colour_model, *session.host_hooks, session.font_scale_percent));

  // A text screen counts its size in characters and lines; its window size follows from its
  // font. Mode 3 (and any mode outside 1 to 5) lays its fields out.
  if (session.screen_kind == kScreenText) {
    const int mode = screen.screen_mode();
    text_screen_create(session, screen.width, screen.height, mode != 1);
    session.content_width = 0;
    session.content_height = 0;
  } else {
    text_screen_release(session);
  }

  // The frame's items are kept for every screen; its widgets come with the windows.
  const bool show = !screen.has_style(protocol::kStyleDeferredWindow);
  frame_add_icons(session.frame, screen.icons);
  frame_build(session, screen.menu_items, show);
  if (session.screen_kind == kScreenIcons) icon_view_create(session);
  if (show) show_windows(session);
  if (screen.screen_mode() != kModeIconStyle) set_cursor_kind(session, kCursorArrow);
}

void reapply_colour_model(ProgramSession& session) {
  if (!session.colour_model_applied) return;
  const SystemColourTable system = system_colours();
  protocol::ScreenOptions options = session.definition_options;
  normalise_screen_options(options, system);
  session.screen_options = options;
  ModelContext context;
  context.screen_kind = session.screen_kind;
  context.host_version = session.host_version;
  context.font_scale_percent = session.font_scale_percent;
  context.font_factor = session.font_scale_percent;
  session.colour_model = apply_colour_model(session.screen_options, context, system);
  post_to_view(*session.to_view,
               model_look(session.colour_model, *session.host_hooks, session.font_scale_percent));
}

}  // namespace kovw::session
