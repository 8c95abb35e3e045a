#pragma once
// The icon view of a program in screen mode 4: the folder tree and the list of entries the host
// defines (KWK_LTREE, KWK_LLIST), decoded from their fixed records into plain values, and the
// arithmetic around them (column widths, icon file names). Plain C++: the program thread keeps
// the definitions in force and hands copies to the view.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/result.h"

namespace kovw::dialogs {

// Folder flags (byte 4 of a tree entry, above the level bits 0 to 3).
inline constexpr std::uint8_t kFolderLevelMask = 0x0F;
inline constexpr std::uint8_t kFolderDropTarget = 0x20;  // takes dropped entries, context menu 2
inline constexpr std::uint8_t kFolderExpanded = 0x40;    // starts expanded
inline constexpr std::uint8_t kFolderReported = 0x80;    // selecting it is reported (event 30)
inline constexpr std::int32_t kNoFolderSelected = -9999;

struct TreeFolder {
  std::int32_t value = 0;
  int level = 0;  // after attaching: the depth it hangs at
  std::uint8_t flags = 0;
  std::uint8_t icon = 0;
  std::uint8_t open_icon = 0;
  std::u16string label;
  int parent = -1;  // index of the folder it hangs below, -1 at the root
};

struct TreeDefinition {
  bool utf8 = false;
  std::vector<TreeFolder> folders;
  // Entries whose level skipped one (no folder at the level above): they hang below the nearest
  // folder at a lower level. One line each for the log.
  std::vector<std::string> notes;
};

// What the user did in an icon view. Entries and folders are indices into the definitions the
// view shows.
struct IconViewEvent {
  enum class Kind {
    Open,            // open `entry` (click or double click, as the setting says)
    EntrySelected,   // `entry` became the selected one
    FolderSelected,  // `folder` was selected
    DropOnFolder,    // `entry` dropped on `folder`
    DropOnEntry,     // `entry` dropped on `target`
    ContextMenu,     // right click on the list (`folder` -1) or on `folder`
    BarButton,       // a button of the docked bar: `entry`
    ShowFull,        // the docked bar's "show full window" button
    TreeWidth,       // the tree is `value` pixels wide now
    ControlEnter,    // Enter in the frame's toolbar edit field (its text goes along)
  };
  Kind kind = Kind::Open;
  int entry = -1;
  int folder = -1;
  int target = -1;
  int value = 0;
};

// KWK_LTREE's definition: a 64-byte header (entry count at 0, bit 0 of 4: UTF-8 texts) and
// 136-byte entries. `text_flags` convert non-UTF-8 labels (foundation::host_to_wide). A count
// that is negative or more than the entries present is refused.
protocol::Result<TreeDefinition> parse_tree_definition(std::span<const std::uint8_t> definition,
                                                       int text_flags = 0);

// View modes (list header byte 701 bits 0 and 1).
inline constexpr int kModeSmallIcons = 0;
inline constexpr int kModeLargeIcons = 1;
inline constexpr int kModeDetails = 2;
inline constexpr int kModeList = 3;

inline constexpr std::uint8_t kIconDefault = 0;
inline constexpr std::uint8_t kIconFile = 255;
inline constexpr std::size_t kMaxColumns = 16;  // width bytes 704 to 719
// A list number from this on selects context menu 1.
inline constexpr std::int32_t kSecondContextListNumber = 100;

struct ListEntry {
  std::int32_t number = 0;
  std::uint8_t icon = 0;
  std::vector<std::u16string> texts;  // one per column (missing ones empty)
  std::u16string tip;                 // the text newer host libraries put after the second
  std::string icon_name;              // entry 476, as the host wrote it
  std::int32_t value = 0;
};

struct ListDefinition {
  std::int32_t list_number = 0;
  std::u16string title;
  std::vector<std::u16string> column_titles;  // one per column
  bool utf8 = false;
  int view_mode = kModeSmallIcons;
  std::vector<std::uint8_t> widths;  // one byte per column
  std::vector<ListEntry> entries;
};

// Host libraries above this one put a tip text after the second column's text.
inline constexpr int kVersionListTip = 0x041A16;

// KWK_LLIST's definition: a 720-byte header and 516-byte entries. A count beyond the entries
// present, or a column count beyond the 16 width bytes, is refused.
protocol::Result<ListDefinition> parse_list_definition(std::span<const std::uint8_t> definition,
                                                       int host_version, int text_flags = 0);

// Column widths in pixels: with bit 7 of the first byte set the bytes as they stand, otherwise
// shares of the list's client width less the vertical scroll bar. Shares that sum to 0 split
// the width evenly.
std::vector<int> column_widths(std::span<const std::uint8_t> widths, int list_width,
                               int scroll_bar_width);

// The host name of an entry's icon file: "HW/kovw/icon/" + name, with ".ico" appended unless
// the name ends in "ico". A name that could leave that folder (a separator, a drive, a "..") or
// is empty gives none: the entry shows the default icon.
std::optional<std::string> icon_host_name(std::string_view name);

// The first entry whose icon byte is not 0 (it is selected when the list is shown), or -1.
int first_marked_entry(const ListDefinition& list);

// The view mode a key bar button switches to (1002 small icons, 1003 large icons, 1004 list,
// 1005 details), or none for any other code.
std::optional<int> view_mode_for_key(int code);

}  // namespace kovw::dialogs
