#include "session/program/model_look.h"

#include "session/program/colour_model.h"
#include "session/program/session_host.h"

namespace kovw::session {

namespace {

QColor colour_of(Rgb rgb) {
  return QColor(rgb.red, rgb.green, rgb.blue);
}

}  // namespace

to_view::Background model_look(const ColourModel& model, const SessionHost& host,
                               int font_scale_percent) {
  to_view::Background look;
  look.colour = colour_of(model.background());
  look.text = colour_of(model.text());
  look.window = colour_of(model.window_background());
  look.window_text = colour_of(model.window_text());
  look.button = colour_of(model.button_face());
  look.button_text = colour_of(model.button_text());
  look.menu = colour_of(model.menu_background());
  look.menu_text = colour_of(model.menu_text());
  look.context_menu = colour_of(model.context_menu_background());
  look.context_menu_text = colour_of(model.context_menu_text());
  if (model.on()) {
    look.frame_font = QString::fromStdString(host.prop_font_name);
    look.frame_font_tenths =
        model.font(0).size * (font_scale_percent > 0 ? font_scale_percent : 100) / 100;
  }
  return look;
}

}  // namespace kovw::session
