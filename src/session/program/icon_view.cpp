#include "session/program/icon_view.h"

#include <QString>
#include <algorithm>
#include <map>

#include "dialogs/list_dialog_form.h"
#include "foundation/host_text.h"
#include "foundation/log.h"
#include "net/link_names.h"
#include "session/program/command_table.h"
#include "session/program/cursor_kind_numbers.h"
#include "session/program/frame.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"
#include "session/window_messages.h"

namespace kovw::session {

namespace {

// The toolbar's text goes into answers with at most this many characters.
constexpr std::size_t kToolbarTextMax = 19;

using Operation = to_view::IconView::Operation;

const dialogs::ListEntry* entry_at(const IconViewState& state, int entry) {
  if (!state.list || entry < 0 || static_cast<std::size_t>(entry) >= state.list->entries.size())
    return nullptr;
  return &state.list->entries[static_cast<std::size_t>(entry)];
}

std::u16string entry_text(const IconViewState& state, int entry) {
  const dialogs::ListEntry* found = entry_at(state, entry);
  return found ? found->texts.front() : std::u16string();
}

const dialogs::TreeFolder* folder_at(const IconViewState& state, int folder) {
  if (!state.tree || folder < 0 || static_cast<std::size_t>(folder) >= state.tree->folders.size())
    return nullptr;
  return &state.tree->folders[static_cast<std::size_t>(folder)];
}

int answer_text_flags(const IconViewState& state) {
  return state.list && state.list->utf8 ? foundation::kTextUtf8 : state.text_flags;
}

void fill_window(protocol::ListAnswer& answer, const IconViewState& state,
                 const WindowFacts& window) {
  answer.values[4] = std::max(0, window.x);
  answer.values[5] = std::max(0, window.y);
  answer.values[6] = window.width;
  answer.values[7] = window.height;
  answer.values[8] = state.tree_width;
}

WindowFacts window_of(const ProgramSession& session) {
  return {session.window_x, session.window_y, session.main_width, session.main_height};
}

// The state of the icon view the program shows, or null.
IconViewState* state_of(ProgramSession& session) {
  return session.icon_view && session.icon_view->active ? session.icon_view.get() : nullptr;
}

void send_answer(ProgramSession& session, const protocol::ListAnswer& answer) {
  foundation::log_printf("Send KWK_LANTW %d", answer.event);
  const protocol::Outgoing out = protocol::build_lantw(answer);
  dt_send(session, out.service, out.type, out.payload);
}

void list_answer(ProgramSession& session, int event, const std::u16string& text, int entry,
                 int folder) {
  const IconViewState* state = state_of(session);
  if (state == nullptr) return;
  send_answer(session, compose_list_answer(*state, event, text, entry, folder, window_of(session)));
}

void post(ProgramSession& session, to_view::IconView message) {
  post_to_view(*session.to_view, std::move(message));
}

int folder_with_value(const IconViewState& state, std::int32_t value) {
  if (!state.tree) return -1;
  for (std::size_t i = 0; i < state.tree->folders.size(); ++i)
    if (state.tree->folders[i].value == value) return static_cast<int>(i);
  return -1;
}

// The key bar buttons of the view modes show the mode in force pressed.
void show_mode_buttons(ProgramSession& session, int mode) {
  for (const MenuItem& item : session.frame.items.screen) {
    const auto item_mode = dialogs::view_mode_for_key(protocol::menu_function_key(item.record));
    if (!item_mode) continue;
    const int state =
        (item.state() & static_cast<int>(kItemDisabled)) | (*item_mode == mode ? kStatePressed : 0);
    frame_set_item_state(session, item.id, state, kStateSet);
  }
}

void set_mode(ProgramSession& session, int mode) {
  to_view::IconView message;
  message.operation = Operation::Mode;
  message.view_mode = mode;
  post(session, std::move(message));
  show_mode_buttons(session, mode);
}

void tree_set(ProgramSession& session, const Command& command) {
  IconViewState* state = state_of(session);
  const auto definition = protocol::parse_view_definition(command.type, command.payload);
  if (!definition) return log_parse_failure(definition.error());
  auto tree = dialogs::parse_tree_definition(*definition, session.host_text_flags());
  if (!tree) return log_parse_failure(tree.error());
  for (const std::string& note : tree->notes) foundation::log_printf("tree_set: %s", note.c_str());
  if (state == nullptr) return;  // no icon view on this screen
  state->tree = std::make_shared<const dialogs::TreeDefinition>(std::move(*tree));
  state->chosen_folder = -1;
  to_view::IconView message;
  message.operation = Operation::Tree;
  message.tree = state->tree;
  message.select_folder = folder_with_value(*state, state->selected_folder);
  post(session, std::move(message));
}

// The icon files of the list's entries, fetched through the file cache one name at a time (the
// program thread waits for them, the windows do not). A name that cannot be fetched or could
// leave the icon folder shows the default icon.
std::vector<QString> fetch_icons(ProgramSession& session, const dialogs::ListDefinition& list) {
  std::vector<QString> files(list.entries.size());
  if (!session.host_hooks || !session.host_hooks->fetch_host_file) return files;
  std::map<std::string, QString> fetched;
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    const dialogs::ListEntry& entry = list.entries[i];
    if (entry.icon != dialogs::kIconFile) continue;
    const auto name = dialogs::icon_host_name(entry.icon_name);
    if (!name) {
      foundation::log_printf("list_set: Symbolname \"%s\" abgewiesen", entry.icon_name.c_str());
      continue;
    }
    auto found = fetched.find(*name);
    if (found == fetched.end()) {
      std::string error;
      const std::string path = session.host_hooks->fetch_host_file(*name, "ico", error);
      if (path.empty()) foundation::log_printf("list_set: %s: %s", name->c_str(), error.c_str());
      found = fetched.emplace(*name, QString::fromStdString(path)).first;
    }
    files[i] = found->second;
  }
  return files;
}

void list_set(ProgramSession& session, const Command& command) {
  IconViewState* state = state_of(session);
  const auto definition = protocol::parse_view_definition(command.type, command.payload);
  if (!definition) return log_parse_failure(definition.error());
  auto list =
      dialogs::parse_list_definition(*definition, session.host_version, session.host_text_flags());
  if (!list) return log_parse_failure(list.error());
  if (state == nullptr) return;
  const bool first = !state->list;
  const int mode = list->view_mode;
  const int marked = dialogs::first_marked_entry(*list);
  state->list = std::make_shared<const dialogs::ListDefinition>(std::move(*list));
  state->selected_entry = marked;

  // The list shows at once with built-in icons; the host's icon files follow when fetched.
  to_view::IconView message;
  message.operation = Operation::List;
  message.list = state->list;
  message.take_columns = first;
  message.select_entry = marked;
  message.view_mode = mode;
  post(session, std::move(message));
  show_mode_buttons(session, mode);
  to_view::IconView select;
  select.operation = Operation::Select;
  select.select_folder = folder_with_value(*state, state->selected_folder);
  post(session, std::move(select));

  const bool any_file =
      std::any_of(state->list->entries.begin(), state->list->entries.end(),
                  [](const dialogs::ListEntry& e) { return e.icon == dialogs::kIconFile; });
  if (!any_file) return;
  to_view::IconView icons;
  icons.operation = Operation::Icons;
  icons.list = state->list;
  icons.icon_files =
      std::make_shared<const std::vector<QString>>(fetch_icons(session, *state->list));
  post(session, std::move(icons));
}

void list_dialog(ProgramSession& session, const Command& command) {
  const auto dialog = protocol::parse_ldialog(command.payload);
  if (!dialog) return log_parse_failure(dialog.error());
  post_to_view(*session.to_view,
               to_view::ListDialog{dialogs::list_dialog_form(*dialog, session.host_text_flags())});
}

void tree_request(ProgramSession& session, bool expand) {
  if (state_of(session) == nullptr) return;
  to_view::IconView message;
  message.operation = expand ? Operation::Expand : Operation::Collapse;
  post(session, std::move(message));
}

}  // namespace

protocol::ListAnswer compose_list_answer(const IconViewState& state, int event,
                                         const std::u16string& text, int entry, int folder,
                                         const WindowFacts& window) {
  protocol::ListAnswer answer;
  answer.event = event;
  std::u16string shown = text;
  if (shown.empty()) shown = state.toolbar_text.substr(0, kToolbarTextMax);
  if (shown.empty()) shown = entry_text(state, state.selected_entry);
  answer.text = foundation::wide_to_host(shown, answer_text_flags(state));
  const dialogs::ListEntry* involved = entry_at(state, entry);
  const dialogs::TreeFolder* in_folder = folder_at(state, folder);
  answer.values[0] = involved ? involved->value : (state.list ? state.list->list_number : 0);
  answer.values[1] = in_folder ? in_folder->value : 0;
  answer.values[2] = state.selected_folder;
  answer.values[3] = involved ? involved->number : -1;
  fill_window(answer, state, window);
  return answer;
}

protocol::ListAnswer compose_bar_answer(const IconViewState& state, int entry,
                                        const WindowFacts& window) {
  protocol::ListAnswer answer;
  answer.event = kEventOpen;
  if (const dialogs::ListEntry* involved = entry_at(state, entry)) {
    answer.text = foundation::wide_to_host(involved->texts[1], answer_text_flags(state));
    answer.values[0] = involved->value;
    answer.values[3] = involved->number;
  }
  answer.values[2] = dialogs::kNoFolderSelected;
  fill_window(answer, state, window);
  return answer;
}

protocol::ListAnswer compose_show_full_answer(const IconViewState& state,
                                              const WindowFacts& window) {
  protocol::ListAnswer answer;
  answer.event = kEventShowFull;
  fill_window(answer, state, window);
  return answer;
}

int key_40_folder(const IconViewState& state) {
  if (state.chosen_folder >= 0) return state.chosen_folder;
  if (!state.tree) return -1;
  for (std::size_t i = 0; i < state.tree->folders.size(); ++i)
    if (state.tree->folders[i].flags & dialogs::kFolderDropTarget) return static_cast<int>(i);
  return -1;
}

void icon_view_create(ProgramSession& session) {
  const int kept_width = session.icon_view ? session.icon_view->tree_width : 0;
  auto state = std::make_shared<IconViewState>();
  state->active = true;
  const bool with_tree = (session.screen_style & kStyleNoTree) == 0;
  const bool button_bar = (session.screen_style & kStyleButtonBar) != 0;
  state->text_flags = session.host_text_flags();
  state->tree_width = kept_width;
  session.icon_view = state;
  to_view::IconView message;
  message.operation = Operation::Create;
  message.with_tree = with_tree && !button_bar;
  message.button_bar = button_bar;
  message.dock_left = (session.screen_style & kStyleDockLeft) != 0;
  message.tree_width = kept_width;
  message.double_click = session.host_hooks && session.host_hooks->double_click;
  post(session, std::move(message));
}

void icon_view_release(ProgramSession& session) {
  if (!session.icon_view) return;
  // The tree width stays for the next icon view of the program.
  const int width = session.icon_view->tree_width;
  const bool was_active = session.icon_view->active;
  *session.icon_view = IconViewState{};
  session.icon_view->tree_width = width;
  if (!was_active) return;
  to_view::IconView message;
  message.operation = Operation::Release;
  post(session, std::move(message));
}

void register_icon_view_commands(CommandTable& table) {
  table.add(net::KWD_LIST, net::KWK_LTREE, CommandHandler(tree_set));
  table.add(net::KWD_LIST, net::KWK_LLIST, CommandHandler(list_set));
  table.add(net::KWD_LIST, net::KWK_LDIALOG, CommandHandler(list_dialog));
  table.add(net::KWD_LIST, net::KWK_LINFO, [](ProgramSession&, const Command& command) {
    if (const auto info = protocol::parse_linfo(command.payload); !info)
      log_parse_failure(info.error());
  });
  table.add(net::KWD_LIST, net::KWK_LCURSOR, [](ProgramSession& session, const Command& command) {
    switch (protocol::parse_lcursor(command.payload)) {
      case protocol::ListCursor::kAppStarting:
        return set_cursor_kind(session, kCursorAppStarting);
      case protocol::ListCursor::kWait:
        return set_cursor_kind(session, kCursorWait);
      case protocol::ListCursor::kArrow:
        return set_cursor_kind(session, kCursorArrow);
    }
  });
  table.add(net::KWD_LIST, kRequestExpandAll,
            [](ProgramSession& session, const Command&) { tree_request(session, true); });
  table.add(net::KWD_LIST, kRequestCollapseAll,
            [](ProgramSession& session, const Command&) { tree_request(session, false); });
}

void icon_view_toolbar_text(ProgramSession& session, const QString& text) {
  if (IconViewState* state = state_of(session)) state->toolbar_text = text.toStdU16String();
}

bool icon_view_key_button(ProgramSession& session, int code) {
  IconViewState* state = state_of(session);
  if (state == nullptr || session.screen_kind != kScreenIcons) return false;
  int folder = -1;
  if (code == 1000 || code == 1001) {
    tree_request(session, code == 1000);
  } else if (const auto mode = dialogs::view_mode_for_key(code)) {
    set_mode(session, *mode);
  } else if (code == kEventDropOnFolder) {
    // Nothing at all happens while the toolbar's first control is disabled.
    for (const MenuItem& item : session.frame.items.screen) {
      if (item.kind != kKindControl) continue;
      if (item.disabled()) return true;
      break;
    }
    folder = key_40_folder(*state);
  }
  list_answer(session, code, {}, state->selected_entry, folder);
  return true;
}

void icon_view_action(ProgramSession& session, const to_program::IconViewAction& action) {
  using Kind = to_program::IconViewAction::Kind;
  IconViewState* state = state_of(session);
  if (state == nullptr) return;
  // The user acted on a list or tree the host has replaced since: its numbers name other
  // entries now.
  if ((action.list && action.list != state->list) || (action.tree && action.tree != state->tree)) {
    foundation::log_printf("list_answer: Aktion auf ersetzter Liste verworfen");
    return;
  }
  state->toolbar_text = action.toolbar_text.toStdU16String();
  switch (action.kind) {
    case Kind::ControlEnter:
      // Enter in the toolbar's edit field opens with its text.
      if (action.toolbar_text.isEmpty()) return;
      list_answer(session, kEventOpen, state->toolbar_text.substr(0, kToolbarTextMax), -1, -1);
      // The text goes to the top of the control's list of earlier texts. The whole text is kept
      // there (the answer carries only its start): what the user typed is never cut.
      {
        to_view::IconView remember;
        remember.operation = Operation::Remember;
        remember.text = action.toolbar_text;
        post(session, std::move(remember));
      }
      return;
    case Kind::Open:
      if (!entry_at(*state, action.entry)) return;
      state->selected_entry = action.entry;
      return list_answer(session, kEventOpen, {}, action.entry, -1);
    case Kind::EntrySelected:
      if (entry_at(*state, action.entry)) state->selected_entry = action.entry;
      return;
    case Kind::FolderSelected: {
      const dialogs::TreeFolder* folder = folder_at(*state, action.folder);
      if (folder == nullptr) return;
      state->selected_folder = folder->value;
      state->chosen_folder = action.folder;
      if (folder->flags & dialogs::kFolderReported) {
        const QString text = QString::number(folder->value);
        list_answer(session, kEventFolder, text.toStdU16String(), -1, action.folder);
      }
      return;
    }
    case Kind::DropOnFolder: {
      const dialogs::TreeFolder* folder = folder_at(*state, action.folder);
      if (folder == nullptr || !entry_at(*state, action.entry) ||
          !(folder->flags & dialogs::kFolderDropTarget))
        return;
      state->chosen_folder = action.folder;
      return list_answer(session, kEventDropOnFolder, {}, action.entry, action.folder);
    }
    case Kind::DropOnEntry:
      if (!entry_at(*state, action.entry) || !entry_at(*state, action.target) ||
          action.entry == action.target)
        return;
      return list_answer(session, kEventDropOnEntry,
                         QString::number(action.target).toStdU16String(), action.entry, -1);
    case Kind::ContextMenu:
      if (action.folder < 0) {
        // Lists numbered 100 or more take the second context menu; with only one, its entries
        // 6 to 10 are not offered for them.
        const bool second =
            state->list && state->list->list_number >= dialogs::kSecondContextListNumber;
        if (second && session.frame.items.context_menus.size() == 1)
          context_menu_activate(session, 0, true);
        else
          context_menu_activate(session, second ? 1 : 0);
      } else if (const dialogs::TreeFolder* folder = folder_at(*state, action.folder);
                 folder && (folder->flags & dialogs::kFolderDropTarget) &&
                 session.frame.items.context_menus.size() >= 3) {
        context_menu_activate(session, 2);
      }
      return;
    case Kind::BarButton:
      if (!entry_at(*state, action.entry)) return;
      return send_answer(session, compose_bar_answer(*state, action.entry, window_of(session)));
    case Kind::ShowFull:
      return send_answer(session, compose_show_full_answer(*state, window_of(session)));
    case Kind::TreeWidth:
      state->tree_width = std::max(0, action.value);
      return;
  }
}

void list_dialog_done(ProgramSession& session, const to_program::ListDialogDone& done) {
  foundation::log_printf("Send KWK_LANTWDIA %d", done.result);
  const protocol::Outgoing out = protocol::build_lantwdia({done.result, done.data});
  dt_send(session, out.service, out.type, out.payload);
}

}  // namespace kovw::session
