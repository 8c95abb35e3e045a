#include "session/program/model_look.h"

#include "session/program/colour_model.h"
#include "session/program/qt_colour.h"
#include "session/program/session_host.h"

namespace kovw::session {

to_view::Background model_look(const ColourModel& model, const SessionHost& host,
                               int font_scale_percent) {
  to_view::Background look;
  look.colour = to_qcolor(model.background());
  look.text = to_qcolor(model.text());
  look.window = to_qcolor(model.window_background());
  look.window_text = to_qcolor(model.window_text());
  look.button = to_qcolor(model.button_face());
  look.button_text = to_qcolor(model.button_text());
  look.menu = to_qcolor(model.menu_background());
  look.menu_text = to_qcolor(model.menu_text());
  look.context_menu = to_qcolor(model.context_menu_background());
  look.context_menu_text = to_qcolor(model.context_menu_text());
  look.icon_size = model.icon_size();
  if (model.on()) {
    look.frame_font = QString::fromStdString(host.prop_font_name);
    look.frame_font_tenths =
        model.font(0).size * (font_scale_percent > 0 ? font_scale_percent : 100) / 100;
    const graphics::Shades& face = model.shades(0);
    const graphics::Shades& highlighted = model.shades(1);
    look.button_shades = {to_qcolor(face.top), to_qcolor(face.middle), to_qcolor(face.bottom)};
    look.pressed_shades = {to_qcolor(highlighted.top), to_qcolor(highlighted.middle),
                           to_qcolor(highlighted.bottom)};
  }
  return look;
}

}  // namespace kovw::session
