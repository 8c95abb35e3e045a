#include "dialogs/view/icon_view_widget.h"

#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "foundation/host_text.h"
#include "foundation/message_table.h"

namespace kovw::dialogs {

namespace {

constexpr int kLargeIcon = 32;
constexpr int kMinTreeWidth = 200;
constexpr int kMessageShowFull = 10092;
constexpr int kMessageFinish = 10091;
constexpr int kMinShownWidth = 100;  // below it the list is not laid out yet

// Views of the list take entries dragged from it and drop them on entries.
void allow_entry_drags(QAbstractItemView& view) {
  view.setDragEnabled(true);
  view.setAcceptDrops(true);
  view.setDropIndicatorShown(true);
  view.setDragDropMode(QAbstractItemView::DragDrop);
  view.setDragDropOverwriteMode(true);  // a drop lands on the entry under the pointer
  view.setDefaultDropAction(Qt::MoveAction);
}

QString message(int number) {
  return QString::fromStdU16String(foundation::host_to_wide(foundation::message_text(number)));
}

}  // namespace

IconViewWidget::IconViewWidget(const Options& options, QWidget* parent)
    : QWidget(parent), options_(options) {
  setObjectName(QStringLiteral("icon_view"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  sorted_.setSourceModel(&list_model_);
  sorted_.setSortCaseSensitivity(Qt::CaseInsensitive);
  list_model_.set_drop_function([this](int entry, int target) { drop(entry, -1, target); });
  tree_model_.set_drop_function([this](int entry, int folder) { drop(entry, folder, -1); });
  if (options_.button_bar) {
    bar_ = new QToolBar(this);
    bar_->setObjectName(QStringLiteral("icon_bar"));
    bar_->setOrientation(Qt::Vertical);
    bar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar_->installEventFilter(this);
    layout->addWidget(bar_);
    return;
  }
  split_ = new QSplitter(Qt::Horizontal, this);
  layout->addWidget(split_);
  if (options_.with_tree) build_tree();
  build_list();
  connect(split_, &QSplitter::splitterMoved, this, [this] {
    if (tree_) emit_event({IconViewEvent::Kind::TreeWidth, -1, -1, -1, tree_->width()});
  });
}

void IconViewWidget::build_tree() {
  tree_ = new QTreeView(split_);
  tree_->setObjectName(QStringLiteral("icon_tree"));
  tree_->setModel(&tree_model_);
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree_->setAcceptDrops(true);
  tree_->setDropIndicatorShown(true);
  tree_->setDragDropMode(QAbstractItemView::DropOnly);
  tree_->setDragDropOverwriteMode(true);
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  split_->addWidget(tree_);
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (updating_ || !current.isValid()) return;
            emit_event({IconViewEvent::Kind::FolderSelected, -1,
                        current.data(kFolderIndexRole).toInt(), -1, 0});
          });
  connect(tree_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
    // Opening by single click also opens and closes folders by a click.
    if (!options_.double_click && tree_model_.hasChildren(index))
      tree_->setExpanded(index, !tree_->isExpanded(index));
  });
  connect(tree_, &QTreeView::expanded, this,
          [this](const QModelIndex& index) { tree_model_.show_expanded(index, true); });
  connect(tree_, &QTreeView::collapsed, this,
          [this](const QModelIndex& index) { tree_model_.show_expanded(index, false); });
  connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    const QModelIndex index = tree_->indexAt(at);
    if (index.isValid())
      emit_event(
          {IconViewEvent::Kind::ContextMenu, -1, index.data(kFolderIndexRole).toInt(), -1, 0});
  });
}

void IconViewWidget::build_list() {
  stack_ = new QStackedWidget(split_);
  split_->addWidget(stack_);
  split_->setStretchFactor(split_->indexOf(stack_), 1);
  icons_ = new QListView(stack_);
  icons_->setObjectName(QStringLiteral("icon_list"));
  icons_->setModel(&sorted_);
  icons_->setUniformItemSizes(true);
  icons_->setLayoutMode(QListView::Batched);
  icons_->setBatchSize(2000);
  icons_->setResizeMode(QListView::Adjust);
  icons_->setWrapping(true);
  icons_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  allow_entry_drags(*icons_);
  details_ = new QTreeView(stack_);
  details_->setObjectName(QStringLiteral("icon_details"));
  details_->setModel(&sorted_);
  details_->setRootIsDecorated(false);
  details_->setUniformRowHeights(true);
  details_->setSortingEnabled(true);
  details_->sortByColumn(-1, Qt::AscendingOrder);  // the host's order until a header is clicked
  details_->header()->setSortIndicatorShown(true);
  details_->header()->setStretchLastSection(false);
  details_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  allow_entry_drags(*details_);
  // One selection for every mode.
  details_->setSelectionModel(icons_->selectionModel());
  stack_->addWidget(icons_);
  stack_->addWidget(details_);
  connect(icons_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (updating_ || !current.isValid()) return;
            emit_event({IconViewEvent::Kind::EntrySelected, entry_of(current), -1, -1, 0});
          });
  for (QAbstractItemView* view :
       {static_cast<QAbstractItemView*>(icons_), static_cast<QAbstractItemView*>(details_)}) {
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->installEventFilter(this);
    connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
      if (!options_.double_click) open(index);
    });
    connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
      if (options_.double_click) open(index);
    });
    connect(view, &QWidget::customContextMenuRequested, this, [this] {
      emit_event({IconViewEvent::Kind::ContextMenu, -1, -1, -1, 0});
    });
  }
  set_mode(kModeSmallIcons);
}

void IconViewWidget::build_bar(const ListDefinition& list) {
  bar_->clear();
  QAction* full = bar_->addAction(style()->standardIcon(QStyle::SP_TitleBarMaxButton), QString());
  full->setToolTip(message(kMessageShowFull));
  full->setObjectName(QStringLiteral("show_full"));
  connect(full, &QAction::triggered, this, [this] {
    emit_event({IconViewEvent::Kind::ShowFull, -1, -1, -1, 0});
  });
  // Finishing closes the program's window, as its close button does.
  QAction* finish =
      bar_->addAction(style()->standardIcon(QStyle::SP_TitleBarCloseButton), QString());
  finish->setToolTip(message(kMessageFinish));
  finish->setObjectName(QStringLiteral("finish"));
  connect(finish, &QAction::triggered, this, [this] { window()->close(); });
  bar_->setToolTip(QString::fromStdU16String(list.title));
  bool gap = false;
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    const ListEntry& entry = list.entries[i];
    if (entry.texts[1].empty()) {
      if (!gap) bar_->addSeparator();  // never two gaps in a row
      gap = true;
      continue;
    }
    gap = false;
    const QIcon icon = entry.icon == kIconFile               ? builtin_entry_icon(kIconDefault)
                       : entry.icon >= 1 && entry.icon <= 10 ? builtin_entry_icon(entry.icon)
                                                             : builtin_entry_icon(10);
    QAction* button = bar_->addAction(icon, QString::fromStdU16String(entry.texts[0]));
    button->setToolTip(QString::fromStdU16String(entry.tip.empty() ? entry.texts[1] : entry.tip));
    button->setData(static_cast<int>(i));
    connect(button, &QAction::triggered, this, [this, i] {
      emit_event({IconViewEvent::Kind::BarButton, static_cast<int>(i), -1, -1, 0});
    });
  }
}

void IconViewWidget::emit_event(IconViewEvent event) {
  if (on_event_) on_event_(event);
}

int IconViewWidget::entry_of(const QModelIndex& proxy_index) const {
  if (!proxy_index.isValid()) return -1;
  return sorted_.mapToSource(proxy_index).row();
}

void IconViewWidget::open(const QModelIndex& proxy_index) {
  const int entry = entry_of(proxy_index);
  if (entry < 0) return;
  emit_event({IconViewEvent::Kind::Open, entry, -1, -1, 0});
}

QWidget* IconViewWidget::current_list() const {
  if (!stack_) return bar_;
  return mode_ == kModeDetails ? static_cast<QWidget*>(details_) : icons_;
}

void IconViewWidget::set_tree(std::shared_ptr<const TreeDefinition> tree, int select_folder) {
  if (!tree_) return;
  updating_ = true;
  tree_model_.set_tree(std::move(tree));
  if (const TreeDefinition* shown = tree_model_.tree())
    for (std::size_t i = 0; i < shown->folders.size(); ++i)
      if (shown->folders[i].flags & kFolderExpanded)
        tree_->expand(tree_model_.item_of(static_cast<int>(i))->index());
  updating_ = false;
  this->select_folder(select_folder);
}

void IconViewWidget::select_folder(int folder) {
  if (!tree_) return;
  const QStandardItem* item = tree_model_.item_of(folder);
  if (item == nullptr) return;
  updating_ = true;
  tree_->setCurrentIndex(item->index());
  tree_->scrollTo(item->index());
  updating_ = false;
}

void IconViewWidget::set_list(std::shared_ptr<const ListDefinition> list, bool take_columns,
                              int select_entry, int mode) {
  if (bar_) {
    if (list) build_bar(*list);
    list_model_.set_list(std::move(list));
    return;
  }
  updating_ = true;
  list_model_.set_list(list);
  if (take_columns && list) {
    widths_ = list->widths;
    widths_pending_ = true;
    apply_column_widths();
  }
  set_mode(mode);
  if (select_entry >= 0 && select_entry < list_model_.rowCount()) {
    const QModelIndex at = sorted_.mapFromSource(list_model_.index(select_entry, 0));
    icons_->setCurrentIndex(at);
    current_list()->setFocus();
    static_cast<QAbstractItemView*>(current_list())->scrollTo(at);
  }
  updating_ = false;
}

void IconViewWidget::set_icon_files(const std::shared_ptr<const ListDefinition>& list,
                                    std::shared_ptr<const std::vector<QString>> files) {
  list_model_.set_icon_files(list, std::move(files));
  // The docked bar shows the fetched icons on its buttons.
  if (!bar_ || !list_model_.list()) return;
  for (QAction* action : bar_->actions()) {
    if (!action->data().isValid()) continue;
    const QModelIndex index = list_model_.index(action->data().toInt(), 0);
    if (list_model_.list()->entries[static_cast<std::size_t>(index.row())].icon == kIconFile)
      action->setIcon(index.data(Qt::DecorationRole).value<QIcon>());
  }
}

void IconViewWidget::set_mode(int mode) {
  if (!stack_) return;
  mode_ = mode & 3;
  if (mode_ == kModeDetails) {
    stack_->setCurrentWidget(details_);
    apply_column_widths();
    return;
  }
  const int small = small_icon_size();
  icons_->setViewMode(mode_ == kModeLargeIcons ? QListView::IconMode : QListView::ListMode);
  icons_->setMovement(QListView::Static);
  icons_->setFlow(mode_ == kModeList ? QListView::TopToBottom : QListView::LeftToRight);
  icons_->setWrapping(true);
  icons_->setIconSize(mode_ == kModeLargeIcons ? QSize(kLargeIcon, kLargeIcon)
                                               : QSize(small, small));
  icons_->setGridSize(mode_ == kModeLargeIcons ? QSize(kLargeIcon * 3, kLargeIcon * 2 + 8)
                                               : QSize());
  allow_entry_drags(*icons_);  // a new view mode resets the list view's drag settings
  stack_->setCurrentWidget(icons_);
}

void IconViewWidget::expand_all(bool expand) {
  const TreeDefinition* tree = tree_model_.tree();
  if (!tree_ || tree == nullptr) return;
  for (std::size_t i = 0; i < tree->folders.size(); ++i) {
    if (tree->folders[i].flags & kFolderReported) continue;
    tree_->setExpanded(tree_model_.item_of(static_cast<int>(i))->index(), expand);
  }
}

void IconViewWidget::drop(int entry, int folder, int target) {
  if (entry < 0 || entry >= list_model_.rowCount()) return;
  if (folder >= 0) {
    const TreeDefinition* tree = tree_model_.tree();
    if (tree == nullptr || static_cast<std::size_t>(folder) >= tree->folders.size() ||
        !(tree->folders[static_cast<std::size_t>(folder)].flags & kFolderDropTarget))
      return;
    emit_event({IconViewEvent::Kind::DropOnFolder, entry, folder, -1, 0});
    return;
  }
  if (target < 0 || target >= list_model_.rowCount() || target == entry) return;
  emit_event({IconViewEvent::Kind::DropOnEntry, entry, -1, target, 0});
}

void IconViewWidget::apply_column_widths() {
  if (!details_ || widths_.empty() || !widths_pending_) return;
  const int client = details_->width() - 2 * details_->frameWidth();
  const int scroll = details_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, details_);
  const std::vector<int> widths = column_widths(widths_, client, scroll);
  for (std::size_t i = 0; i < widths.size(); ++i)
    details_->header()->resizeSection(static_cast<int>(i), widths[i]);
  // Widths from shares follow the list's width until the view has been shown with them at a
  // real size; afterwards the user's widths stay.
  if (details_->isVisible() && client >= kMinShownWidth) widths_pending_ = false;
}

void IconViewWidget::place_tree() {
  if (!tree_ || tree_placed_ || width() <= 0) return;
  const int tree_width =
      options_.tree_width > 0 ? options_.tree_width : std::max(kMinTreeWidth, width() * 2 / 5);
  split_->setSizes({tree_width, std::max(0, width() - tree_width)});
  if (isVisible()) tree_placed_ = true;
}

int IconViewWidget::small_icon_size() const {
  if (title_icon_size_ <= 0) return style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, icons_);
  const QFontMetrics metrics(font());
  return std::max(title_icon_size_, metrics.ascent() + metrics.descent());
}

void IconViewWidget::set_look(QColor background, QColor text, int title_icon_size) {
  for (QWidget* view : {static_cast<QWidget*>(tree_), static_cast<QWidget*>(icons_),
                        static_cast<QWidget*>(details_)}) {
    if (view == nullptr) continue;
    QPalette colours = view->palette();
    if (background.isValid()) colours.setColor(QPalette::Base, background);
    if (text.isValid()) colours.setColor(QPalette::Text, text);
    view->setPalette(colours);
  }
  title_icon_size_ = title_icon_size;
  apply_icon_size();
}

void IconViewWidget::apply_icon_size() {
  const int small = small_icon_size();
  if (tree_) tree_->setIconSize(QSize(small, small));
  if (details_) details_->setIconSize(QSize(small, small));
  if (icons_ && mode_ != kModeLargeIcons) icons_->setIconSize(QSize(small, small));
}

void IconViewWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // The icons follow the font's height.
  if (event->type() == QEvent::FontChange) apply_icon_size();
}

void IconViewWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  place_tree();
  apply_column_widths();
}

bool IconViewWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == bar_ && event->type() == QEvent::MouseButtonRelease) {
    const auto* click = static_cast<QMouseEvent*>(event);
    if (click->button() == Qt::LeftButton && on_bar_click_ &&
        bar_->actionAt(click->position().toPoint()) == nullptr)
      on_bar_click_();
    return false;
  }
  if (watched == details_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
    apply_column_widths();
  // Enter in the list opens the current entry (the button bar form has no list).
  if (event->type() == QEvent::KeyPress && icons_ && (watched == icons_ || watched == details_)) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      open(icons_->currentIndex());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kovw::dialogs
