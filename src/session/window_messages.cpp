#include "session/window_messages.h"

#include "net/tcp_socket.h"

namespace kovw::session {

namespace {

struct MessageName {
  int number;
  const char* name;
};

constexpr MessageName kNames[] = {
    {WML_ENDE, "WML_ENDE"},
    {WML_TEXT_OUTPUT, "WML_TEXT_OUTPUT"},
    {WML_SOCK_CLIENT, "WML_SOCK_CLIENT"},
    {WML_WARNING, "WML_WARNING"},
    {WML_CHILD_PROGRAM, "WML_CHILD_PROGRAM"},
    {WML_END_LOOP, "WML_END_LOOP"},
    {WML_STOP, "WML_STOP"},
    {WML_SHOW_MESSAGE, "WML_SHOW_MESSAGE"},
    {WML_RECONNECT, "WML_RECONNECT"},
    {WML_CLOSE, "WM_CLOSE"},
    {WML_VIEW_CREATE, "WML_VIEW_CREATE"},
    {WML_VIEW_SHOW, "WML_VIEW_SHOW"},
    {WML_VIEW_TITLE, "WML_VIEW_TITLE"},
    {WML_VIEW_CURSOR, "WML_VIEW_CURSOR"},
    {WML_VIEW_DESTROY, "WML_VIEW_DESTROY"},
    {WML_VIEW_CHILD, "WML_VIEW_CHILD"},
    {WML_VIEW_HIDE, "WML_VIEW_HIDE"},
    {WML_VIEW_MESSAGE, "WML_VIEW_MESSAGE"},
    {WML_VIEW_BEEP, "WML_VIEW_BEEP"},
    {WML_VIEW_TEXT_SCREEN, "WML_VIEW_TEXT_SCREEN"},
    {WML_VIEW_TEXT_ROWS, "WML_VIEW_TEXT_ROWS"},
    {WML_VIEW_MAP, "WML_VIEW_MAP"},
    {WML_VIEW_FRAME, "WML_VIEW_FRAME"},
    {WML_VIEW_ITEM_STATE, "WML_VIEW_ITEM_STATE"},
    {WML_VIEW_ITEM_TEXT, "WML_VIEW_ITEM_TEXT"},
    {WML_VIEW_FRAME_ICONS, "WML_VIEW_FRAME_ICONS"},
    {WML_VIEW_TOOL_CAPTION, "WML_VIEW_TOOL_CAPTION"},
    {WML_PALETTE_CHANGED, "WML_PALETTE_CHANGED"},
    {WML_VIEW_CONTEXT_MENU, "WML_VIEW_CONTEXT_MENU"},
    {WML_VIEW_STATUS, "WML_VIEW_STATUS"},
    {WML_KEY_PRESS, "WML_KEY_PRESS"},
    {WML_MOUSE_CLICK, "WML_MOUSE_CLICK"},
    {WML_MOUSE_WHEEL, "WML_MOUSE_WHEEL"},
    {WML_FRAME_ITEM, "WML_FRAME_ITEM"},
    {WML_VIEW_CLIPBOARD, "WML_VIEW_CLIPBOARD"},
    {WML_VIEW_INPUT, "WML_VIEW_INPUT"},
    {WML_VIEW_BACKGROUND, "WML_VIEW_BACKGROUND"},
    {WML_FILES_DROPPED, "WML_FILES_DROPPED"},
    {WML_WINDOW_GEOMETRY, "WML_WINDOW_GEOMETRY"},
    {WML_VIEW_FIELD, "WML_VIEW_FIELD"},
    {WML_VIEW_EDIT_AREA, "WML_VIEW_EDIT_AREA"},
    {WML_EDIT_LEFT, "WML_EDIT_LEFT"},
    {WML_VIEW_DIALOG, "WML_VIEW_DIALOG"},
    {WML_VIEW_GRAPHICS, "WML_VIEW_GRAPHICS"},
    {WML_GRAPHICS_CLICK, "WML_GRAPHICS_CLICK"},
    {WML_GRAPHICS_SCROLL, "WML_GRAPHICS_SCROLL"},
    {WML_VIEW_HARDCOPY, "WML_VIEW_HARDCOPY"},
    {WML_DIALOG_ACTION, "WML_DIALOG_ACTION"},
    {WML_VIEW_ICONS, "WML_VIEW_ICONS"},
    {WML_VIEW_LIST_DIALOG, "WML_VIEW_LIST_DIALOG"},
    {WML_ICON_ACTION, "WML_ICON_ACTION"},
    {WML_LIST_DIALOG_DONE, "WML_LIST_DIALOG_DONE"},
};

}  // namespace

const char* wml_name(int number) {
  for (const auto& entry : kNames) {
    if (entry.number == number) return entry.name;
  }
  return "WM_USER+n";
}

OfferedSocket& OfferedSocket::operator=(OfferedSocket&& other) noexcept {
  if (this != &other) {
    if (socket_ >= 0) net::sc_close(socket_);
    socket_ = std::exchange(other.socket_, -1);
  }
  return *this;
}

OfferedSocket::~OfferedSocket() {
  if (socket_ >= 0) net::sc_close(socket_);
}

}  // namespace kovw::session
