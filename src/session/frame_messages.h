#pragma once
// Frame messages across the thread boundary beside those in window_messages.h: icons that join
// the program's host icon set after its frame was built (a graphics window definition adds
// them), for the toolbar and title bar buttons that name them.

#include <QImage>
#include <QString>
#include <map>

namespace kovw::session {

inline constexpr int WML_VIEW_FRAME_ICONS = 3163;  // to the view: new icons of the host icon set

namespace to_view {

struct FrameIcons {
  static constexpr int kNumber = WML_VIEW_FRAME_ICONS;
  std::map<QString, QImage> icons;  // by name
};

}  // namespace to_view

}  // namespace kovw::session
