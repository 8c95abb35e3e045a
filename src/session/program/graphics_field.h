#pragma once
// The input field a graphics window holds while the user edits it (element operation 25).

#include <QString>
#include <cstdint>

#include "dialogs/field_editor.h"
#include "graphics/field_look.h"
#include "session/program/graphics_windows.h"

namespace kovw::session {

struct GraphicsProgram::ActiveField {
  dialogs::FieldEditor editor;
  std::int32_t window = 0;  // the graphics window the field is in
  graphics::FieldLook look;
  QString help;  // the status line's text while the field is active
};

}  // namespace kovw::session
