#pragma once
// The frame of a program's window on the program thread: the item entries of the screen and
// of its context menus, what the host asks of them (states, context menus, status texts) and
// what choosing an item does. The widgets follow from the events this posts (frame_description.h).

#include <QImage>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/program/menu_records.h"
#include "protocol/program/screen_definition.h"
#include "session/program/menu_items.h"

namespace kovw::session {

class CommandTable;

struct ProgramSession;

struct FrameState {
  MenuItems items;
  // The host icon set: the named icons of the screen definitions (and graphics windows),
  // decoded; a name already in the set keeps its first icon.
  std::map<std::string, QImage> icons;
  bool status_bar = false;  // the screen's frame has one
  bool shown = false;       // its description went to the view
  QString status_text;      // the host's last status text
};

// Adds the host's named icons (icon file data) to the icon set; names already in it and data
// that do not decode as a picture are left out (the latter logged). Returns the names added.
std::vector<std::string> frame_add_icons(FrameState& frame,
                                         const std::vector<protocol::HostIcon>& icons);

// A graphics window definition's icons: added to the icon set; when the frame is shown, the
// toolbar and title bar buttons that name a new icon show it.
void frame_add_graphics_icons(ProgramSession& session,
                              const std::vector<protocol::HostIcon>& icons);

// A graphics window definition's toolbar items replace those of the program's earlier graphics
// definition; a shown frame is shown again with them.
void frame_set_graphics_toolbar(ProgramSession& session,
                                std::span<const protocol::MenuItemRecord> records);

// Keeps the screen's item entries (replacing the old ones and the context menus) and, when
// `show` is set, posts the frame's description to the view.
void frame_build(ProgramSession& session, std::span<const protocol::MenuItemRecord> records,
                 bool show);
// Posts the frame's description (key bars, menus, toolbar, status bar, own frame look) to the
// view.
void frame_show(ProgramSession& session);

// The user chose item `id` (button, menu entry, context menu entry). On a text screen its keys
// go into the key buffer, all of them or none, and are sent; disabled items do nothing.
void frame_item_chosen(ProgramSession& session, int id);

// Sets an item's state (modes of set_item_state) and shows it.
void frame_set_item_state(ProgramSession& session, int id, int state, int mode);

// KWK_GKTEXT: the item's new label and help text (cut to what the item holds) and shows them.
void frame_set_item_text(ProgramSession& session, int id, std::string_view label,
                         std::string_view help);

// KWK_GREFR and KWK_GKTEXT address items by the host's number: the item id less 99.
inline constexpr int kHostItemOffset = 99;
void handle_grefr(ProgramSession& session, std::span<const std::uint8_t> payload);
void handle_gktext(ProgramSession& session, std::span<const std::uint8_t> payload);

// KWK_KBUTTON (all screen items, no index) and KWK_KBUTTON_NR (the item at `index`): value 1
// restores the saved states; any other value saves them and sets disabled when bit 0 is clear,
// pressed when bit 1 is set.
void frame_key_buttons(ProgramSession& session, std::optional<int> index, int value);

// ESC "]" of the text screen: the first screen item with `command_code` gets `state`.
void frame_command_state(ProgramSession& session, int command_code, int state);

// KWK_CREAKONTEXT: the records become context menu 0, the current one.
void context_menu_create(ProgramSession& session, std::span<const std::uint8_t> payload);
// Makes context menu `number` current (ignored when there is none with that number) and shows
// it at the pointer; nothing happens when it has no entries.
// With `without_6_to_10` the menu's entries 6 to 10 are shown disabled (an icon view's list
// numbered 100 or more whose screen has only the one context menu).
void context_menu_activate(ProgramSession& session, int number, bool without_6_to_10 = false);

// KWK_STATUS: the status bar shows the text (when the frame has a status bar).
void frame_status_text(ProgramSession& session, std::span<const std::uint8_t> payload);

// The messages of this file: KWK_KBUTTON and KWK_KBUTTON_NR (service KWD_KOMM),
// KWK_CREAKONTEXT and KWK_ACTKONTEXT (services KWD_DIGRA, KWD_WIN, KWD_DIMEN), KWK_STATUS.
void handle_kbutton(ProgramSession& session, int type, std::span<const std::uint8_t> payload);
void handle_actkontext(ProgramSession& session, int service, std::span<const std::uint8_t> payload);

// Registers The key bar buttons (KWD_KOMM), context menus (KWD_DIGRA, KWD_WIN, KWD_DIMEN), item
// states and texts (KWD_DIGRA) and the status text (KWD_WIN).
void register_frame_commands(CommandTable& table);

}  // namespace kovw::session
