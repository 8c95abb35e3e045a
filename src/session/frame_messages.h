#pragma once
// Frame messages across the thread boundary beside those in window_messages.h: icons that join
// the program's host icon set after its frame was built (a graphics window definition adds
// them), for the toolbar and title bar buttons that name them; and the own frame's tool
// caption.

#include <QImage>
#include <QString>
#include <map>

namespace kovw::session {

inline constexpr int WML_VIEW_FRAME_ICONS = 3163;   // to the view: new icons of the host icon set
inline constexpr int WML_VIEW_TOOL_CAPTION = 3164;  // to the view: the own frame's tool caption

namespace to_view {

struct FrameIcons {
  static constexpr int kNumber = WML_VIEW_FRAME_ICONS;
  std::map<QString, QImage> icons;  // by name
};

// KWK_WTOOL: the text of the own frame's tool caption, shown in its title bar after the
// caption (the standard frame shows none).
struct ToolCaption {
  static constexpr int kNumber = WML_VIEW_TOOL_CAPTION;
  QString text;
};

}  // namespace to_view

}  // namespace kovw::session
