#include "session/program/frame.h"

#include <algorithm>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "net/link_names.h"
#include "protocol/program/program_window.h"
#include "protocol/program/start_messages.h"
#include "protocol/program/window_service.h"
#include "session/program/command_table.h"
#include "session/program/cursor_kind_numbers.h"
#include "session/program/frame_description.h"
#include "session/program/graphics_windows.h"
#include "session/program/icon_view.h"
#include "session/program/key_buffer.h"
#include "session/program/key_translation.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_session.h"
#include "session/program/qt_colour.h"
#include "session/program/window_hardcopy_request.h"
#include "session/window_messages.h"

namespace kovw::session {

namespace {

constexpr int kHardcopyKey = 308;  // the function key that asks for a window hardcopy
constexpr int kKButtonRestore = 1;
// The first bar whose items may go to the toolbar.
constexpr int kBarToolbarFirst = 4;
// Toolbar controls: at most four per screen.
constexpr int kToolbarControlsMax = 4;
// The own frame's title bar icons at a font scale of 100.
constexpr int kTitleIconSize = 16;

// The label as the widgets show it: "&" is a literal ampersand, the mnemonic (an index, -1 for
// none) gets the marker.
QString shown_label(const std::u16string& label, int mnemonic) {
  QString shown;
  for (std::size_t i = 0; i < label.size(); ++i) {
    if (static_cast<int>(i) == mnemonic) shown += u'&';
    shown += QChar(label[i]);
    if (label[i] == u'&') shown += u'&';
  }
  return shown;
}

FrameEntry entry_of(const MenuItem& item, int mnemonic = -1) {
  FrameEntry entry;
  entry.id = item.id;
  entry.label = shown_label(item.label, mnemonic);
  entry.help = QString::fromStdU16String(item.help);
  entry.state = item.state();
  entry.separator = item.kind == kKindSeparator;
  return entry;
}

FrameEntry separator() {
  FrameEntry entry;
  entry.separator = true;
  return entry;
}

// The icon name of an item, empty when it names none.
std::string icon_name(const MenuItem& item) {
  const auto* name =
      reinterpret_cast<const char*>(item.record.data() + protocol::kMenuIconNameOffset);
  if (static_cast<unsigned char>(name[0]) <= ' ') return {};
  return foundation::copy_field(std::string_view(name, protocol::kMenuIconNameSize),
                                protocol::kMenuIconNameSize + 1);
}

// The toolbar: items of the menu bar and the toolbar bar (plain items and popup entries) that
// name an icon become buttons; popup titles and separators put a gap between groups (never two
// in a row, none at the start).
void describe_toolbar(const FrameState& frame, int font_scale_percent,
                      std::vector<FrameEntry>& toolbar) {
  int controls = 0;
  // The graphics window's toolbar items follow the screen's, after a gap; they are all the
  // toolbar's, whatever bar their records name.
  std::vector<const MenuItem*> items;
  for (const MenuItem& item : frame.items.screen)
    if (item.bar >= kBarToolbarFirst && item.bar != kBarContext) items.push_back(&item);
  if (!frame.items.graphics_toolbar.empty() && !items.empty()) items.push_back(nullptr);
  for (const MenuItem& item : frame.items.graphics_toolbar) items.push_back(&item);
  for (const MenuItem* listed : items) {
    if (listed == nullptr) {
      if (!toolbar.empty() && !toolbar.back().separator) toolbar.push_back(separator());
      continue;
    }
    const MenuItem& item = *listed;
    if (item.kind == kKindControl) {
      // An edit field, or a combo box with bit 7 of the kind word (which is no state here), as
      // wide as the record's characters at 7 pixels each, scaled.
      if (++controls > kToolbarControlsMax) {
        foundation::log_printf("dframe: mehr als %d Steuerelemente", kToolbarControlsMax);
        continue;
      }
      const std::uint16_t kind_word =
          protocol::le16(item.record.data() + protocol::kMenuKindOffset);
      FrameEntry control = entry_of(item);
      control.control = (kind_word & 0x80) ? kControlCombo : kControlEdit;
      control.control_width =
          std::max(1, item.record[protocol::kMenuWidthOrKeyOffset] * 7 *
                          (font_scale_percent > 0 ? font_scale_percent : 100) / 100);
      toolbar.push_back(std::move(control));
      continue;
    }
    if (item.kind == kKindPopup || item.kind == kKindSeparator) {
      if (!toolbar.empty() && !toolbar.back().separator) toolbar.push_back(separator());
      continue;
    }
    if (item.kind != kKindPlain && item.kind != kKindPopupEntry) continue;
    const std::string name = icon_name(item);
    if (name.empty()) continue;
    FrameEntry button = entry_of(item);
    button.icon_name = QString::fromStdString(name);
    if (const auto icon = frame.icons.find(name); icon != frame.icons.end())
      button.icon = icon->second;
    toolbar.push_back(std::move(button));
  }
  if (!toolbar.empty() && toolbar.back().separator) toolbar.pop_back();
}

// The key bars and the menu bar of the screen's items: buttons (with the mnemonics chosen over
// all buttons) and popups with their entries and separators.
FrameDescription describe(const FrameState& frame, int font_scale_percent) {
  FrameDescription description;
  const std::vector<MenuItem>& items = frame.items.screen;
  std::vector<std::u16string> labels;
  for (const MenuItem& item : items)
    if (item.flags & kItemKeyBarButton) labels.push_back(item.label);
  const std::vector<int> mnemonics = choose_mnemonics(labels);
  std::size_t button = 0;
  FrameEntry* popup = nullptr;  // the popup that takes entries
  for (const MenuItem& item : items) {
    if (item.flags & kItemKeyBarButton) {
      auto& bar = description.bars[static_cast<std::size_t>(item.bar)];
      bar.push_back(entry_of(item, mnemonics[button++]));
      popup = item.kind == kKindPopup ? &bar.back() : nullptr;
    } else if (item.kind == kKindPopup && item.bar == kBarMenu) {
      description.menus.push_back(entry_of(item));
      popup = &description.menus.back();
    } else if (item.kind == kKindPopup) {
      popup = nullptr;  // a popup of a bar without widgets here (context menu, toolbar)
    } else if (popup != nullptr && item.kind == kKindPopupEntry) {
      popup->entries.push_back(entry_of(item));
    } else if (popup != nullptr && item.kind == kKindSeparator && item.bar != kBarContext) {
      popup->entries.push_back(separator());
    }
  }
  describe_toolbar(frame, font_scale_percent, description.toolbar);
  description.status_bar = frame.status_bar;
  description.status_text = frame.status_text;
  return description;
}

// The label the item's widget shows: key bar buttons keep the mnemonics chosen over all
// buttons, as when the frame was built.
QString label_shown(const MenuItems& items, const MenuItem& item) {
  if ((item.flags & kItemKeyBarButton) == 0 || item.id >= kContextItemBase)
    return shown_label(item.label, -1);
  std::vector<std::u16string> labels;
  std::size_t at = 0;
  for (const MenuItem& other : items.screen) {
    if ((other.flags & kItemKeyBarButton) == 0) continue;
    if (&other == &item) at = labels.size();
    labels.push_back(other.label);
  }
  return shown_label(item.label, choose_mnemonics(labels)[at]);
}

void post_state(ProgramSession& session, const MenuItem& item) {
  post_to_view(*session.to_view, to_view::ItemState{item.id, item.state()});
}

}  // namespace

void frame_build(ProgramSession& session, std::span<const protocol::MenuItemRecord> records,
                 bool show) {
  FrameState& frame = session.frame;
  frame.items =
      build_menu_items(records, session.texts_utf8(), session.host_hooks->no_save_page != 0);
  // Icon views and menu program windows with their own layout have no status bar.
  frame.status_bar = session.screen_kind == kScreenText || session.screen_kind == kScreenGraphics ||
                     session.screen_kind == kScreenGraphics2;
  frame.shown = false;
  if (show) frame_show(session);
}

void frame_show(ProgramSession& session) {
  FrameState& frame = session.frame;
  FrameDescription description = describe(frame, session.font_scale_percent);
  if (session.screen_kind == kScreenIcons) {
    // Items naming a key of the current layout (by its number) get it as their key.
    const int layout = session.host_hooks ? session.host_hooks->keyboard_layout : 0;
    for (const MenuItem& item : frame.items.screen) {
      if (item.kind != kKindPlain && item.kind != kKindPopupEntry) continue;
      const int number = item.record[protocol::kMenuWidthOrKeyOffset];
      if (number == 0) continue;
      if (const auto key = key_for_number(layout, number))
        description.accelerators.push_back({item.id, *key});
    }
    description.control_focus_key = true;
  }
  description.encrypted = session.link.encryption_on();
  const ColourModel& model = session.colour_model;
  if (model.frame_type() == kOwnFrame) {
    OwnFrameLook& own = description.own;
    own.on = true;
    own.embedded = (session.status & kStatusEmbedded) != 0;
    own.border = own.embedded ? 0 : model.border_width();
    own.caption = to_qcolor(model.caption());
    own.caption_text = to_qcolor(model.caption_text());
    const int scale = session.font_scale_percent > 0 ? session.font_scale_percent : 100;
    own.icon_size = std::max(1, kTitleIconSize * scale / 100);
    for (const char* name : {kIconMinimise, kIconMaximise, kIconRestore, kIconClose})
      if (const auto icon = frame.icons.find(name); icon != frame.icons.end())
        own.icons.emplace(QString::fromLatin1(name), icon->second);
  }
  frame.shown = true;
  post_to_view(*session.to_view, to_view::Frame{std::move(description)});
}

void frame_item_chosen(ProgramSession& session, int id) {
  if (id == kHardcopyCommand) {
    request_window_hardcopy(session, 0);
    return;
  }
  if (id >= kPageChoiceBase && id < kPageChoiceBase + kPageChoicesMax) {
    if (session.graphics) session.graphics->page_chosen(id - kPageChoiceBase);
    return;
  }
  const MenuItem* item = session.frame.items.find(id);
  if (item == nullptr || item->disabled()) return;
  // The page history's keys work on the graphics window.
  if (item->keys.size() == 1 && session.graphics && session.graphics->open() &&
      session.graphics->page_command(item->keys[0] - kFunctionKeyBase))
    return;
  // The hardcopy function key makes a hardcopy of the window and sends nothing.
  if (item->keys.size() == 1 && item->keys[0] == kFunctionKeyBase + kHardcopyKey) {
    request_window_hardcopy(session, 0);
    return;
  }
  // An icon view answers every key bar button with the item's function key.
  if (const std::int16_t key = protocol::menu_function_key(item->record);
      key >= 0 && icon_view_key_button(session, key))
    return;
  if (session.screen_kind != kScreenText) {
    // A graphics window takes the item's keys as its graphics input, as if they were typed.
    if (session.graphics && session.graphics->open() && !item->keys.empty()) {
      session.graphics->key(item->keys, 0);
      return;
    }
    foundation::log_printf("dframe: Knopf %d ohne Textbildschirm", id);
    return;
  }
  if (session.cursor_kind == kCursorWait || item->keys.empty()) return;
  // All of the item's keys or none; one entry of the buffer stays free.
  if (static_cast<int>(item->keys.size()) > session.keys.room() - 1) {
    host_beep(session);
    return;
  }
  for (const std::uint16_t key : item->keys) key_put(session, key);
  key_send_pending(session);
}

std::vector<std::string> frame_add_icons(FrameState& frame,
                                         const std::vector<protocol::HostIcon>& icons) {
  std::vector<std::string> added;
  for (const protocol::HostIcon& icon : icons) {
    if (icon.name.empty() || frame.icons.count(icon.name)) continue;
    QImage image = QImage::fromData(icon.data.data(), static_cast<int>(icon.data.size()));
    if (image.isNull()) {
      foundation::log_printf("dframe: Icon %s nicht lesbar (%zu Bytes)", icon.name.c_str(),
                             icon.data.size());
      continue;
    }
    frame.icons.emplace(icon.name, std::move(image));
    added.push_back(icon.name);
  }
  return added;
}

void frame_add_graphics_icons(ProgramSession& session,
                              const std::vector<protocol::HostIcon>& icons) {
  const std::vector<std::string> added = frame_add_icons(session.frame, icons);
  if (added.empty() || !session.frame.shown) return;
  to_view::FrameIcons refresh;
  for (const std::string& name : added)
    refresh.icons.emplace(QString::fromStdString(name), session.frame.icons.at(name));
  post_to_view(*session.to_view, std::move(refresh));
}

void frame_set_graphics_toolbar(ProgramSession& session,
                                std::span<const protocol::MenuItemRecord> records) {
  MenuItems& items = session.frame.items;
  if (records.empty() && items.graphics_toolbar.empty()) return;
  set_graphics_toolbar(items, records, session.texts_utf8());
  if (session.frame.shown) frame_show(session);
}

void frame_set_item_state(ProgramSession& session, int id, int state, int mode) {
  if (const MenuItem* item = set_item_state(session.frame.items, id, state, mode))
    post_state(session, *item);
}

void frame_set_item_text(ProgramSession& session, int id, std::string_view label,
                         std::string_view help) {
  const MenuItem* item = set_item_text(session.frame.items, id, label, help, session.texts_utf8());
  if (item == nullptr) return;
  post_to_view(*session.to_view,
               to_view::ItemText{item->id, label_shown(session.frame.items, *item),
                                 QString::fromStdU16String(item->help)});
}

void handle_grefr(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const auto message = protocol::parse_grefr(payload);
  if (!message) {
    log_parse_failure(message.error());
    return;
  }
  frame_set_item_state(session, message->item + kHostItemOffset, message->state, kStateSet);
}

void handle_gktext(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const auto message = protocol::parse_gktext(payload);
  if (!message) {
    log_parse_failure(message.error());
    return;
  }
  frame_set_item_text(session, message->item + kHostItemOffset, message->text, message->tip);
}

void frame_key_buttons(ProgramSession& session, std::optional<int> index, int value) {
  const int mode = value == kKButtonRestore ? kStateRestore : kStateSaveAndSet;
  const int state =
      ((value & 1) == 0 ? static_cast<int>(kItemDisabled) : 0) | ((value & 2) != 0 ? 2 : 0);
  const int count = static_cast<int>(session.frame.items.screen.size());
  if (index) {
    if (*index >= 0 && *index < count)
      frame_set_item_state(session, kScreenItemBase + *index, state, mode);
    return;
  }
  for (int i = 0; i < count; ++i) frame_set_item_state(session, kScreenItemBase + i, state, mode);
}

void frame_command_state(ProgramSession& session, int command_code, int state) {
  if (const int id = item_with_command(session.frame.items, command_code); id != 0)
    frame_set_item_state(session, id, state, kStateSet);
}

void context_menu_create(ProgramSession& session, std::span<const std::uint8_t> payload) {
  const auto records = protocol::parse_creakontext(payload, session.host_version);
  if (!records) {
    log_parse_failure(records.error());
    return;
  }
  create_context_menu(session.frame.items, *records, session.texts_utf8());
}

void context_menu_activate(ProgramSession& session, int number, bool without_6_to_10) {
  MenuItems& items = session.frame.items;
  if (number < 0 || static_cast<std::size_t>(number) >= items.context_menus.size()) return;
  items.current_context = static_cast<std::size_t>(number);
  const ContextMenu& menu = items.context_menus[items.current_context];
  std::vector<const MenuItem*> shown;
  std::vector<std::u16string> labels;
  for (const int id : menu.entries) {
    const MenuItem* item = id == 0 ? nullptr : items.find(id);
    shown.push_back(item);
    if (item != nullptr) labels.push_back(item->label);
  }
  const std::vector<int> mnemonics = choose_mnemonics(labels);
  std::vector<FrameEntry> entries;
  std::size_t label = 0;
  for (const MenuItem* item : shown)
    entries.push_back(item == nullptr ? separator() : entry_of(*item, mnemonics[label++]));
  if (without_6_to_10)
    for (std::size_t i = 5; i < std::min<std::size_t>(entries.size(), 10); ++i)
      entries[i].state |= static_cast<int>(kItemDisabled);
  if (entries.empty()) return;
  post_to_view(*session.to_view, to_view::ContextMenu{std::move(entries)});
}

void frame_status_text(ProgramSession& session, std::span<const std::uint8_t> payload) {
  FrameState& frame = session.frame;
  if (!frame.status_bar) return;
  const std::string text = protocol::parse_raw_text(payload);
  frame.status_text =
      QString::fromStdU16String(foundation::host_to_wide(text, session.host_text_flags()));
  post_to_view(*session.to_view, to_view::StatusText{frame.status_text});
}

void handle_kbutton(ProgramSession& session, int type, std::span<const std::uint8_t> payload) {
  const auto message = type == net::KWK_KBUTTON_NR ? protocol::parse_kbutton_nr(payload)
                                                   : protocol::parse_kbutton(payload);
  if (!message) {
    log_parse_failure(message.error());
    return;
  }
  frame_key_buttons(session, message->index, message->value);
}

void handle_actkontext(ProgramSession& session, int service,
                       std::span<const std::uint8_t> payload) {
  if (service != net::KWD_DIMEN) {
    context_menu_activate(session, 0);
    return;
  }
  const auto number = protocol::parse_single_int(payload);
  if (!number) {
    log_parse_failure(number.error());
    return;
  }
  context_menu_activate(session, *number);
}

void register_frame_commands(CommandTable& table) {
  for (const int type : {net::KWK_KBUTTON, net::KWK_KBUTTON_NR}) {
    table.add(net::KWD_KOMM, type, [](ProgramSession& session, const Command& command) {
      handle_kbutton(session, command.type, command.payload);
    });
  }
  for (const int service : {net::KWD_DIGRA, net::KWD_WIN}) {
    table.add(service, net::KWK_CREAKONTEXT, [](ProgramSession& session, const Command& command) {
      context_menu_create(session, command.payload);
    });
  }
  for (const int service : {net::KWD_DIGRA, net::KWD_WIN, net::KWD_DIMEN}) {
    table.add(service, net::KWK_ACTKONTEXT, [](ProgramSession& session, const Command& command) {
      handle_actkontext(session, command.service, command.payload);
    });
  }
  table.add(net::KWD_DIGRA, net::KWK_GREFR, [](ProgramSession& session, const Command& command) {
    handle_grefr(session, command.payload);
  });
  table.add(net::KWD_DIGRA, net::KWK_GKTEXT, [](ProgramSession& session, const Command& command) {
    handle_gktext(session, command.payload);
  });
  table.add(net::KWD_WIN, net::KWK_STATUS, [](ProgramSession& session, const Command& command) {
    frame_status_text(session, command.payload);
  });
}

}  // namespace kovw::session
