#pragma once
// The icon view of a program in screen mode 4: the folder tree at the left and the list of
// entries at the right, shown in one of four modes over one model (small icons, large icons, a
// one-column list, details with sortable columns), or the docked bar of buttons. It reports what
// the user does through its event function; drops go through drop(), which tests call too.

#include <QColor>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "dialogs/icon_view_model.h"
#include "dialogs/view/folder_tree_model.h"
#include "dialogs/view/icon_list_model.h"

class QListView;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QTreeView;

namespace kovw::dialogs {

class IconViewWidget : public QWidget {
  // findChild<IconViewWidget*> finds this class, not any widget
  Q_OBJECT

 public:
  struct Options {
    bool with_tree = true;
    bool button_bar = false;
    bool double_click = false;  // open entries by double click (else by a single click)
    int tree_width = 0;         // 0: 40 % of the width, at least 200 pixels
  };
  using EventFunction = std::function<void(const IconViewEvent&)>;

  IconViewWidget(const Options& options, QWidget* parent);

  void set_event_function(EventFunction function) { on_event_ = std::move(function); }
  // The button bar form: a click on the bar itself (not on a button).
  void set_bar_click_function(std::function<void()> function) {
    on_bar_click_ = std::move(function);
  }

  // A new tree; `select_folder` (an index, -1 none) is selected without an event.
  void set_tree(std::shared_ptr<const TreeDefinition> tree, int select_folder);
  void select_folder(int folder);
  // A new list in `mode`; the column widths and titles are taken when `take_columns` is set.
  void set_list(std::shared_ptr<const ListDefinition> list, bool take_columns, int select_entry,
                int mode);
  void set_icon_files(const std::shared_ptr<const ListDefinition>& list,
                      std::shared_ptr<const std::vector<QString>> files);
  void set_mode(int mode);
  // The views' colours (the menu colours of the program's look; invalid colours keep the
  // style's) and the title bar's icon size: the small icons are as large as that or as the
  // font's height, whichever is larger.
  void set_look(QColor background, QColor text, int title_icon_size);
  // The size of the small icons in force.
  int small_icon_size() const;
  // Expands (or collapses) every folder that does not report its selection.
  void expand_all(bool expand);

  // An entry dropped on a folder (`folder` an index) or, with `folder` -1, on entry `target`.
  void drop(int entry, int folder, int target);

  int mode() const { return mode_; }
  QTreeView* tree() const { return tree_; }
  QListView* list_view() const { return icons_; }
  QTreeView* details() const { return details_; }
  QToolBar* bar() const { return bar_; }
  FolderTreeModel& tree_model() { return tree_model_; }
  IconListModel& list_model() { return list_model_; }
  QSortFilterProxyModel& sorted() { return sorted_; }
  // The list's view of the current mode.
  QWidget* current_list() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void apply_icon_size();
  void emit_event(IconViewEvent event);
  void build_list();
  void build_tree();
  void build_bar(const ListDefinition& list);
  void apply_column_widths();
  void place_tree();
  int entry_of(const QModelIndex& proxy_index) const;
  void open(const QModelIndex& proxy_index);

  Options options_;
  EventFunction on_event_;
  std::function<void()> on_bar_click_;
  FolderTreeModel tree_model_;
  IconListModel list_model_;
  QSortFilterProxyModel sorted_;
  QSplitter* split_ = nullptr;
  QTreeView* tree_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QListView* icons_ = nullptr;
  QTreeView* details_ = nullptr;
  QToolBar* bar_ = nullptr;
  int mode_ = kModeSmallIcons;
  int title_icon_size_ = 0;  // 0: the style's small icon size
  std::vector<std::uint8_t> widths_;
  bool widths_pending_ = false;
  bool tree_placed_ = false;
  bool updating_ = false;  // the program selects: no events
};

}  // namespace kovw::dialogs
