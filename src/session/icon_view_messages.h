#pragma once
// The messages of an icon view (screen mode 4) across the thread boundary: what the program
// thread tells the view (the views, the tree, the list, the mode, the list dialog) and what the
// user does in them. The definitions travel as shared immutable values: a list of 100,000
// entries is handed over, not copied.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "dialogs/icon_view_model.h"
#include "dialogs/list_dialog_form.h"

namespace kovw::session {

inline constexpr int WML_VIEW_ICONS = 3150;        // to the view: an icon view operation
inline constexpr int WML_VIEW_LIST_DIALOG = 3151;  // to the view: show the list dialog
inline constexpr int WML_ICON_ACTION = 3152;       // to the program: the user acted in the view
inline constexpr int WML_LIST_DIALOG_DONE = 3153;  // to the program: the list dialog ended

namespace to_view {

struct IconView {
  static constexpr int kNumber = WML_VIEW_ICONS;
  enum class Operation {
    Create,    // the views in the content window (replacing any)
    Release,   // no views any more
    Tree,      // a new tree; select the folder at `select_folder`
    List,      // a new list; select the entry at `select_entry`
    Mode,      // show the list in `view_mode`
    Expand,    // expand every folder without kFolderReported
    Collapse,  // collapse them
    Select,    // select the folder at `select_folder` (no event)
    Icons,     // the entries' icon files were fetched: `icon_files` of the current list
    Remember,  // `text` goes to the top of the toolbar's first control's list
  };
  Operation operation = Operation::Create;
  // Create.
  bool with_tree = true;
  bool button_bar = false;  // the docked button bar form
  bool dock_left = false;
  int tree_width = 0;  // 0: 40 % of the content width, at least 200 pixels
  bool double_click = false;
  // Tree.
  std::shared_ptr<const dialogs::TreeDefinition> tree;
  int select_folder = -1;
  // List: the definition, and for each entry the local file of its icon (empty: built-in).
  std::shared_ptr<const dialogs::ListDefinition> list;
  std::shared_ptr<const std::vector<QString>> icon_files;
  bool take_columns = true;  // the column widths and titles are new
  int select_entry = -1;
  int view_mode = dialogs::kModeSmallIcons;
  // Remember.
  QString text;
};

struct ListDialog {
  static constexpr int kNumber = WML_VIEW_LIST_DIALOG;
  dialogs::ListDialogForm form;
};

}  // namespace to_view

namespace to_program {

// What the user did in an icon view.
struct IconViewAction : dialogs::IconViewEvent {
  static constexpr int kNumber = WML_ICON_ACTION;
  QString toolbar_text;  // the text of the frame toolbar's first control (empty: none)
  // The list and tree the view showed: an action on ones the host has replaced since names
  // entries and folders that are not there any more (null: the action names none).
  std::shared_ptr<const dialogs::ListDefinition> list;
  std::shared_ptr<const dialogs::TreeDefinition> tree;
};

struct ListDialogDone {
  static constexpr int kNumber = WML_LIST_DIALOG_DONE;
  int result = 0;
  std::vector<std::uint8_t> data;
};

}  // namespace to_program

}  // namespace kovw::session
