#include "dialogs/view/folder_tree_model.h"

#include <QApplication>
#include <QStyle>
#include <array>

#include "dialogs/view/icon_list_model.h"

namespace kovw::dialogs {

QIcon tree_icon(int number) {
  static const std::array<QStyle::StandardPixmap, 4> kPixmaps = {
      QStyle::SP_DirClosedIcon, QStyle::SP_DirOpenIcon, QStyle::SP_DriveHDIcon,
      QStyle::SP_FileIcon};
  static std::array<QIcon, 4> icons;  // GUI thread only
  const std::size_t at = number >= 0 && number < 4 ? static_cast<std::size_t>(number) : 0;
  if (icons[at].isNull()) icons[at] = QApplication::style()->standardIcon(kPixmaps[at]);
  return icons[at];
}

FolderTreeModel::FolderTreeModel(QObject* parent) : QStandardItemModel(parent) {}

void FolderTreeModel::set_tree(std::shared_ptr<const TreeDefinition> tree) {
  clear();
  items_.clear();
  tree_ = std::move(tree);
  if (!tree_) return;
  items_.reserve(tree_->folders.size());
  for (std::size_t i = 0; i < tree_->folders.size(); ++i) {
    const TreeFolder& folder = tree_->folders[i];
    auto* item = new QStandardItem(tree_icon(folder.icon), QString::fromStdU16String(folder.label));
    item->setData(static_cast<int>(i), kFolderIndexRole);
    item->setEditable(false);
    QStandardItem* parent =
        folder.parent >= 0 ? items_[static_cast<std::size_t>(folder.parent)] : invisibleRootItem();
    parent->appendRow(item);
    items_.push_back(item);
  }
}

QStandardItem* FolderTreeModel::item_of(int folder) const {
  return folder >= 0 && static_cast<std::size_t>(folder) < items_.size()
             ? items_[static_cast<std::size_t>(folder)]
             : nullptr;
}

const TreeFolder* FolderTreeModel::folder_at(const QModelIndex& index) const {
  if (!index.isValid() || !tree_) return nullptr;
  const int at = index.data(kFolderIndexRole).toInt();
  return at >= 0 && static_cast<std::size_t>(at) < tree_->folders.size()
             ? &tree_->folders[static_cast<std::size_t>(at)]
             : nullptr;
}

void FolderTreeModel::show_expanded(const QModelIndex& index, bool expanded) {
  const TreeFolder* folder = folder_at(index);
  if (folder == nullptr) return;
  if (QStandardItem* item = itemFromIndex(index))
    item->setIcon(tree_icon(expanded ? folder->open_icon : folder->icon));
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QStandardItemModel::flags(index) & ~Qt::ItemIsDragEnabled;
  const TreeFolder* folder = folder_at(index);
  if (folder == nullptr || !(folder->flags & kFolderDropTarget)) flags &= ~Qt::ItemIsDropEnabled;
  return flags;
}

QStringList FolderTreeModel::mimeTypes() const {
  return {QString::fromLatin1(kEntryMimeType)};
}

bool FolderTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                      const QModelIndex& parent) const {
  const TreeFolder* folder = folder_at(parent);
  return folder != nullptr && (folder->flags & kFolderDropTarget) && dragged_entry(data) >= 0;
}

bool FolderTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                   int column, const QModelIndex& parent) {
  if (!canDropMimeData(data, action, row, column, parent)) return false;
  if (drop_) drop_(dragged_entry(data), parent.data(kFolderIndexRole).toInt());
  return false;  // the host moves entries, not the view
}

Qt::DropActions FolderTreeModel::supportedDropActions() const {
  return Qt::CopyAction | Qt::MoveAction;
}

}  // namespace kovw::dialogs
