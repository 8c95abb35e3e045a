#pragma once
// What the program's windows take from the colour model: the brushes' colours and the frame's
// font, as the view applies them (to_view::Background).

#include "session/window_messages.h"

namespace kovw::session {

class ColourModel;
struct SessionHost;

// The look of `model`. With the model on, the frame writes in the main model font: its size
// (tenths of a point) scaled by `font_scale_percent`, in the face of the settings' proportional
// font — the program's own font name table is not read for the frame.
to_view::Background model_look(const ColourModel& model, const SessionHost& host,
                               int font_scale_percent);

}  // namespace kovw::session
