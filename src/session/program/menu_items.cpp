#include "session/program/menu_items.h"

#include <QChar>
#include <algorithm>
#include <string_view>

#include "foundation/host_text.h"
#include "session/program/key_translation.h"

namespace kovw::session {

namespace {

using protocol::kMenuBarOffset;
using protocol::kMenuCommandOffset;
using protocol::kMenuHelpOffset;
using protocol::kMenuHelpSize;
using protocol::kMenuKeyListEntries;
using protocol::kMenuKeyListOffset;
using protocol::kMenuLabelOffset;
using protocol::kMenuLabelSize;
constexpr std::size_t kLabelWide = 40;  // characters with the end
constexpr std::size_t kHelpWide = 118;
constexpr int kKindMask = 0x7F;
constexpr int kStateShift = 7;

// A host text as a wide text of at most `capacity` - 1 characters.
std::u16string wide_text(std::string_view text, std::size_t capacity, bool utf8) {
  std::u16string wide(capacity, u'\0');
  const std::size_t length = foundation::host_to_wide(
      text, wide, foundation::kTextTerminate | (utf8 ? foundation::kTextUtf8 : 0));
  wide.resize(length);
  return wide;
}

// A zero-terminated host text of a record field, converted into at most `capacity` - 1 wide
// characters.
std::u16string field_text(const protocol::MenuItemRecord& record, std::size_t offset,
                          std::size_t size, std::size_t capacity, bool utf8) {
  const auto* begin = reinterpret_cast<const char*>(record.data() + offset);
  const std::string_view field(begin, size);
  return wide_text(field.substr(0, field.find('\0')), capacity, utf8);
}

// Writes `text` into the record's zero-terminated field: at most size - 1 bytes, cut before a
// UTF-8 sequence that does not fit whole; the rest of the field is zero.
void put_field(protocol::MenuItemRecord& record, std::size_t offset, std::size_t size,
               std::string_view text, bool utf8) {
  text = text.substr(0, text.find('\0'));
  std::size_t length = std::min(text.size(), size - 1);
  if (utf8 && length < text.size())
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  std::fill_n(record.begin() + static_cast<std::ptrdiff_t>(offset), size, std::uint8_t{0});
  std::copy_n(text.begin(), length, record.begin() + static_cast<std::ptrdiff_t>(offset));
}

// The keys of a record: a single host function key n (0x0100 + n), or the key list when the
// function key is -1: complete codes, where an entry with low byte 0 names function key n in
// its high byte.
std::vector<std::uint16_t> item_keys(const protocol::MenuItemRecord& record) {
  const std::int16_t function_key = protocol::menu_function_key(record);
  if (function_key >= 0) return {static_cast<std::uint16_t>(kFunctionKeyBase + function_key)};
  std::vector<std::uint16_t> keys;
  if (function_key != -1) return keys;  // no key at all
  for (std::size_t i = 0; i < kMenuKeyListEntries; ++i) {
    const std::uint16_t entry = protocol::le16(record.data() + kMenuKeyListOffset + 2 * i);
    if (entry == 0) break;
    keys.push_back((entry & 0xFF) == 0 ? static_cast<std::uint16_t>(kFunctionKeyBase + (entry >> 8))
                                       : entry);
  }
  return keys;
}

char16_t folded(char16_t character) {
  return QChar(character).toLower().unicode();
}

bool is_letter(char16_t character) {
  return (character >= u'A' && character <= u'Z') || (character >= u'a' && character <= u'z') ||
         character > 191;
}

// The function keys of the page history that shows stored pages.
bool is_stored_page_key(const protocol::MenuItemRecord& record) {
  const std::int16_t key = protocol::menu_function_key(record);
  return key == 11990 || key == 11991 || key == 11993 || key == 11994;
}

void disable_from_the_start(MenuItem& item) {
  item.flags |= kItemDisabled;
  const std::uint16_t kind = protocol::le16(item.record.data() + protocol::kMenuKindOffset);
  protocol::put_le16(item.record.data() + protocol::kMenuKindOffset,
                     static_cast<std::uint16_t>(kind | (kItemDisabled << kStateShift)));
}

void apply_initial_state(MenuItem& item) {
  int initial = (protocol::le16(item.record.data() + protocol::kMenuKindOffset) >> kStateShift);
  // In a toolbar control's kind word bit 7 makes it a combo box; it is no state.
  if (item.kind == kKindControl) initial &= ~static_cast<int>(kItemDisabled);
  if (initial != 0) item.flags = (item.flags & ~kItemStateMask) | (initial & kItemStateMask);
}

}  // namespace

MenuItem* MenuItems::find(int id) {
  return const_cast<MenuItem*>(static_cast<const MenuItems&>(*this).find(id));
}

const MenuItem* MenuItems::find(int id) const {
  if (id >= kGraphicsToolbarItemBase && id < kGraphicsToolbarItemBase + kGraphicsToolbarItemsMax) {
    const auto index = static_cast<std::size_t>(id - kGraphicsToolbarItemBase);
    return index < graphics_toolbar.size() ? &graphics_toolbar[index] : nullptr;
  }
  if (id < kContextItemBase) {
    const int index = id - kScreenItemBase;
    if (index < 0 || index >= static_cast<int>(screen.size())) return nullptr;
    return &screen[static_cast<std::size_t>(index)];
  }
  if (current_context >= context_menus.size()) return nullptr;
  const auto& own = context_menus[current_context].own;
  const int index = id - kContextItemBase;
  if (index >= static_cast<int>(own.size())) return nullptr;
  return &own[static_cast<std::size_t>(index)];
}

MenuItem make_menu_item(const protocol::MenuItemRecord& record, int id, bool utf8) {
  MenuItem item;
  item.record = record;
  item.id = id;
  item.label = field_text(record, kMenuLabelOffset, kMenuLabelSize, kLabelWide, utf8);
  item.help = field_text(record, kMenuHelpOffset, kMenuHelpSize, kHelpWide, utf8);
  item.bar = record[kMenuBarOffset] == 4 ? kBarMenu : record[kMenuBarOffset];
  item.kind = protocol::le16(record.data() + protocol::kMenuKindOffset) & kKindMask;
  item.command_code = protocol::le16(record.data() + kMenuCommandOffset);
  item.keys = item_keys(record);
  return item;
}

MenuItems build_menu_items(std::span<const protocol::MenuItemRecord> records, bool utf8,
                           bool no_save_page) {
  MenuItems items;
  items.context_menus.emplace_back();
  int popup_bar = -1;  // the bar of the last popup item, for its entries
  for (std::size_t i = 0; i < records.size(); ++i) {
    MenuItem item = make_menu_item(records[i], kScreenItemBase + static_cast<int>(i), utf8);
    if (no_save_page && is_stored_page_key(item.record)) disable_from_the_start(item);
    if (item.kind == kKindPopup) {
      popup_bar = item.bar;
      item.flags |= kItemOpensPopup;
    } else if (item.kind == kKindPopupEntry && popup_bar >= 0) {
      item.bar = popup_bar;
      item.flags |= kItemPopupEntry;
    }
    if ((item.kind == kKindPlain || item.kind == kKindPopup) && item.bar >= kBarTop &&
        item.bar <= kBarLeft)
      item.flags |= kItemKeyBarButton;
    if (item.bar == kBarContext) {
      auto& menus = items.context_menus;
      if (item.kind == kKindNextContext) {
        if (menus.size() < kMaxContextMenus) menus.emplace_back();
      } else if (item.kind == kKindSeparator) {
        menus.back().entries.push_back(0);
      } else if (item.kind == kKindPlain) {
        item.flags |= kItemContextEntry;
        menus.back().entries.push_back(item.id);
      }
    }
    apply_initial_state(item);
    items.screen.push_back(std::move(item));
  }
  return items;
}

void set_graphics_toolbar(MenuItems& items, std::span<const protocol::MenuItemRecord> records,
                          bool utf8) {
  items.graphics_toolbar.clear();
  const std::size_t count =
      std::min(records.size(), static_cast<std::size_t>(kGraphicsToolbarItemsMax));
  for (std::size_t i = 0; i < count; ++i) {
    MenuItem item =
        make_menu_item(records[i], kGraphicsToolbarItemBase + static_cast<int>(i), utf8);
    apply_initial_state(item);
    items.graphics_toolbar.push_back(std::move(item));
  }
}

void create_context_menu(MenuItems& items, std::span<const protocol::MenuItemRecord> records,
                         bool utf8) {
  ContextMenu menu;
  for (std::size_t i = 0; i < records.size(); ++i) {
    MenuItem item = make_menu_item(records[i], kContextItemBase + static_cast<int>(i), utf8);
    item.flags |= kItemContextEntry;
    apply_initial_state(item);
    menu.entries.push_back(item.kind == kKindSeparator ? 0 : item.id);
    menu.own.push_back(std::move(item));
  }
  if (items.context_menus.empty())
    items.context_menus.push_back(std::move(menu));
  else
    items.context_menus[0] = std::move(menu);
  items.current_context = 0;
}

namespace {

// The item a host request addresses: up to 500 a screen item (id 500 names screen item 400, not
// the first context menu entry), above it an entry of the current context menu.
MenuItem* addressed(MenuItems& items, int id) {
  if (id == kContextItemBase) {
    const std::size_t index = static_cast<std::size_t>(id - kScreenItemBase);
    return index < items.screen.size() ? &items.screen[index] : nullptr;
  }
  return items.find(id);
}

}  // namespace

const MenuItem* set_item_state(MenuItems& items, int id, int state, int mode) {
  MenuItem* item = addressed(items, id);
  if (item == nullptr) return nullptr;
  std::uint32_t bits = static_cast<std::uint32_t>(state) & kItemStateMask;
  if (mode == kStateSaveAndSet) item->saved_flags = item->flags;
  if (mode == kStateRestore) bits = item->saved_flags & kItemStateMask;
  item->flags = (item->flags & ~kItemStateMask) | bits;
  return item;
}

const MenuItem* set_item_text(MenuItems& items, int id, std::string_view label,
                              std::string_view help, bool utf8) {
  MenuItem* item = addressed(items, id);
  if (item == nullptr) return nullptr;
  label = label.substr(0, label.find('\0'));
  help = help.substr(0, help.find('\0'));
  item->label = wide_text(label, kLabelWide, utf8);
  item->help = wide_text(help, kHelpWide, utf8);
  put_field(item->record, kMenuLabelOffset, kMenuLabelSize, label, utf8);
  put_field(item->record, kMenuHelpOffset, kMenuHelpSize, help, utf8);
  return item;
}

int item_with_command(const MenuItems& items, int command_code) {
  const auto found = std::find_if(
      items.screen.begin(), items.screen.end(),
      [command_code](const MenuItem& item) { return item.command_code == command_code; });
  return found == items.screen.end() ? 0 : found->id;
}

std::vector<int> choose_mnemonics(const std::vector<std::u16string>& labels) {
  std::u16string used;
  std::vector<int> chosen;
  for (const std::u16string& label : labels) {
    int at = -1;
    for (std::size_t i = 0; i < label.size() && at < 0; ++i)
      if (is_letter(label[i]) && used.find(folded(label[i])) == std::u16string::npos)
        at = static_cast<int>(i);
    for (std::size_t i = 0; i < label.size() && at < 0; ++i)
      if (label[i] >= u'!' && label[i] != u'&' &&
          used.find(folded(label[i])) == std::u16string::npos)
        at = static_cast<int>(i);
    if (at >= 0) used.push_back(folded(label[static_cast<std::size_t>(at)]));
    chosen.push_back(at);
  }
  return chosen;
}

}  // namespace kovw::session
