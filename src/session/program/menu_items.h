#pragma once
// The items of a program's frame, kept on the program thread: one entry per menu item record
// of the screen definition (ids 100 + index) and per item of a context menu the host defines
// later (ids 500 + index). An entry holds the record, its texts, the keys it sends, where it
// goes and its state. The widgets are built from a description of these entries (frame.h).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/program/menu_records.h"

namespace kovw::session {

inline constexpr int kScreenItemBase = 100;
inline constexpr int kContextItemBase = 500;
// The toolbar items of a graphics window definition: ids from here, below the window commands.
inline constexpr int kGraphicsToolbarItemBase = 30000;
inline constexpr int kGraphicsToolbarItemsMax = 10000;
inline constexpr std::size_t kMaxContextMenus = 6;

// Where an item goes (record offset 171).
inline constexpr int kBarTop = 0;
inline constexpr int kBarRight = 1;
inline constexpr int kBarBottom = 2;
inline constexpr int kBarLeft = 3;
inline constexpr int kBarContext = 5;
inline constexpr int kBarMenu = 6;  // 4 is stored as 6

// Kinds (low 7 bits of the kind word).
inline constexpr int kKindPlain = 0x00;
inline constexpr int kKindPopup = 0x20;
inline constexpr int kKindPopupEntry = 0x21;
inline constexpr int kKindSeparator = 0x22;
inline constexpr int kKindControl = 0x23;
inline constexpr int kKindNextContext = 0x24;

// Item state (low 4 bits of the flags): disabled, pressed look (either bit).
inline constexpr std::uint32_t kItemDisabled = 0x1;
inline constexpr std::uint32_t kItemPressed = 0x6;
inline constexpr int kStatePressed = 0x2;  // the state a program sets for the pressed look
inline constexpr std::uint32_t kItemStateMask = 0xF;
// Flags: where the item is shown.
inline constexpr std::uint32_t kItemKeyBarButton = 0x100;
inline constexpr std::uint32_t kItemOpensPopup = 0x200;
inline constexpr std::uint32_t kItemPopupEntry = 0x400;
inline constexpr std::uint32_t kItemContextEntry = 0x800;

// Modes of set_item_state.
inline constexpr int kStateSet = 0;
inline constexpr int kStateSaveAndSet = 1;
inline constexpr int kStateRestore = 2;

struct MenuItem {
  protocol::MenuItemRecord record{};
  int id = 0;
  std::u16string label;  // at most 40 characters
  std::u16string help;   // at most 118 characters
  int bar = 0;
  int kind = 0;
  int command_code = 0;             // the code ESC "]" addresses the item by
  std::vector<std::uint16_t> keys;  // what choosing the item types
  std::uint32_t flags = 0;          // state bits and where the item is shown
  std::uint32_t saved_flags = 0;    // the flags before the last save-and-set
  int state() const { return static_cast<int>(flags & kItemStateMask); }
  bool disabled() const { return (flags & kItemDisabled) != 0; }
};

// A context menu: its own items (KWK_CREAKONTEXT) or none (built from the screen's items), and
// its entries in order as item ids, 0 for a separator.
struct ContextMenu {
  std::vector<MenuItem> own;
  std::vector<int> entries;
};

struct MenuItems {
  std::vector<MenuItem> screen;
  std::vector<ContextMenu> context_menus;
  std::size_t current_context = 0;
  // The toolbar items of the program's last graphics window definition.
  std::vector<MenuItem> graphics_toolbar;

  // The item with `id`: below 500 a screen item, from 500 an item of the current context menu,
  // from kGraphicsToolbarItemBase a graphics toolbar item; null when there is none.
  MenuItem* find(int id);
  const MenuItem* find(int id) const;
};

// An entry of one record with `id`; `utf8` when the program's texts are UTF-8.
MenuItem make_menu_item(const protocol::MenuItemRecord& record, int id, bool utf8);

// The entries of a screen definition's records and the context menus their bar 5 items make:
// context menu 0 takes the items up to the first kind 0x24 item, each kind 0x24 item starts the
// next one. Initial states are applied. With `no_save_page` (the setting "No Save Page") the
// items of the page keys that need stored pages (first, previous and last page, the page list)
// start disabled and keep that state as their initial one.
MenuItems build_menu_items(std::span<const protocol::MenuItemRecord> records, bool utf8,
                           bool no_save_page = false);

// A graphics window definition's toolbar items (menu item records) replace the earlier ones;
// they get ids from kGraphicsToolbarItemBase and their initial states (at most
// kGraphicsToolbarItemsMax are kept).
void set_graphics_toolbar(MenuItems& items, std::span<const protocol::MenuItemRecord> records,
                          bool utf8);

// KWK_CREAKONTEXT: context menu 0 becomes a menu of these records and the current one.
void create_context_menu(MenuItems& items, std::span<const protocol::MenuItemRecord> records,
                         bool utf8);

// Sets an item's state: mode 0 to the low 4 bits of `state`, mode 1 the same after saving the
// flags, mode 2 back to the state saved last. Returns the item, null when `id` names none. Ids
// up to 500 address screen items (500 is screen item 400), larger ones the entries of the
// current context menu.
const MenuItem* set_item_state(MenuItems& items, int id, int state, int mode);

// KWK_GKTEXT: the item's label and help text become `label` and `help` (host texts). Texts
// longer than the item holds are cut, never refused: the label to 39 characters and the help
// text to 117, and their copies in the record to 39 and 107 bytes, never inside a character.
// Returns the item, null when `id` names none.
const MenuItem* set_item_text(MenuItems& items, int id, std::string_view label,
                              std::string_view help, bool utf8);

// The id of the first screen item with `command_code`, 0 when none has it.
int item_with_command(const MenuItems& items, int command_code);

// The mnemonic of each label (the index of its character, -1 for none): the first letter
// (A to Z, a to z or a character above 191) no earlier label uses, compared without case; when
// none is free, the first free character from "!" up other than "&".
std::vector<int> choose_mnemonics(const std::vector<std::u16string>& labels);

}  // namespace kovw::session
