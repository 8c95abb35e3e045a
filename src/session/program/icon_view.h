#pragma once
// The icon view of a program on the program thread (screen mode 4): the tree and list
// definitions in force, the selections the answers report, the key bar buttons of the view,
// the list dialog, and the KWK_LANTW answers. The widgets follow from the messages this posts
// (icon_view_messages.h); the user's actions come back as to_program::IconViewAction.

#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "dialogs/icon_view_model.h"
#include "protocol/program/list_view_messages.h"
#include "session/icon_view_messages.h"

namespace kovw::session {

class CommandTable;
struct ProgramSession;

// Styles of the screen definition that shape an icon view.
inline constexpr std::int32_t kStyleNoTree = 1 << 12;
inline constexpr std::int32_t kStyleButtonBar = 1 << 15;
inline constexpr std::int32_t kStyleDockLeft = 1 << 16;

// The events of KWK_LANTW besides the key bar codes.
inline constexpr int kEventOpen = 2;
inline constexpr int kEventFolder = 30;
inline constexpr int kEventDropOnFolder = 40;
inline constexpr int kEventDropOnEntry = 55;
inline constexpr int kEventShowFull = 90;

// Types of KWD_LIST that act on the tree: expand or collapse every folder that does not report
// its selection.
inline constexpr int kRequestExpandAll = 64;
inline constexpr int kRequestCollapseAll = 65;

struct IconViewState {
  bool active = false;  // the screen shows the views
  std::shared_ptr<const dialogs::TreeDefinition> tree;
  std::shared_ptr<const dialogs::ListDefinition> list;
  std::int32_t selected_folder = dialogs::kNoFolderSelected;  // value of the folder chosen
  int chosen_folder = -1;   // index of the folder selected or dropped on last
  int selected_entry = -1;  // index of the entry selected last
  int tree_width = 0;       // kept while the program runs; 0 until the view reports one
  int text_flags = 0;
  std::u16string toolbar_text;  // what the toolbar's first control held at the user's last act
};

// Where the main window stands, as the answer reports it.
struct WindowFacts {
  int x = 0, y = 0, width = 0, height = 0;
};

// KWK_LANTW: `event`; the text (`text`, else the toolbar's first control's text, at most 19
// characters, else the text of the entry selected last); the value of
// entry `entry` (or the list number), the value of folder `folder` (or 0), the selected folder,
// the entry's number (or -1), the window (negative positions as 0), the tree width, three zeros.
protocol::ListAnswer compose_list_answer(const IconViewState& state, int event,
                                         const std::u16string& text, int entry, int folder,
                                         const WindowFacts& window);

// The answer of a docked bar's button `entry`: event 2, its second text, its value, 0, -9999 and
// its number; and of the bar's "show full window" button: event 90, no text, four zeros.
protocol::ListAnswer compose_bar_answer(const IconViewState& state, int entry,
                                        const WindowFacts& window);
protocol::ListAnswer compose_show_full_answer(const IconViewState& state,
                                              const WindowFacts& window);

// The folder key bar button 40 reports: the one chosen last, else the first that takes drops;
// -1 when there is none.
int key_40_folder(const IconViewState& state);

// Screen initialisation of mode 4 (after the frame): the views in the content window.
void icon_view_create(ProgramSession& session);
// Releases the views and the definitions (a new screen initialisation, the end of the session).
void icon_view_release(ProgramSession& session);

// KWK_LTREE, KWK_LLIST, KWK_LDIALOG, KWK_LINFO, KWK_LCURSOR and the requests 64 and 65.
void register_icon_view_commands(CommandTable& table);

// A key bar button with function key `code` in an icon view: the view's own codes act (1000
// expand, 1001 collapse, 1002 to 1005 view modes, 40 the folder), then KWK_LANTW goes with the
// code as its event. False when the program shows no icon view.
bool icon_view_key_button(ProgramSession& session, int code);
// The toolbar's first control holds `text` as the user chose a frame item.
void icon_view_toolbar_text(ProgramSession& session, const QString& text);

void icon_view_action(ProgramSession& session, const to_program::IconViewAction& action);
void list_dialog_done(ProgramSession& session, const to_program::ListDialogDone& done);

}  // namespace kovw::session
