#include "dialogs/view/icon_list_model.h"

#include <QApplication>
#include <QMimeData>
#include <QStyle>
#include <array>

namespace kovw::dialogs {

QIcon builtin_entry_icon(int number) {
  static const std::array<QStyle::StandardPixmap, 11> kPixmaps = {
      QStyle::SP_FileIcon,          QStyle::SP_DirIcon,      QStyle::SP_DriveHDIcon,
      QStyle::SP_DriveNetIcon,      QStyle::SP_ComputerIcon, QStyle::SP_TrashIcon,
      QStyle::SP_FileLinkIcon,      QStyle::SP_DirLinkIcon,  QStyle::SP_MessageBoxInformation,
      QStyle::SP_MessageBoxWarning, QStyle::SP_DesktopIcon,
  };
  static std::array<QIcon, 11> icons;  // GUI thread only
  const std::size_t at = number >= 0 && number <= 10 ? static_cast<std::size_t>(number) : 0;
  if (icons[at].isNull()) icons[at] = QApplication::style()->standardIcon(kPixmaps[at]);
  return icons[at];
}

int dragged_entry(const QMimeData* data) {
  if (data == nullptr || !data->hasFormat(kEntryMimeType)) return -1;
  bool ok = false;
  const int row = QString::fromLatin1(data->data(kEntryMimeType)).toInt(&ok);
  return ok && row >= 0 ? row : -1;
}

IconListModel::IconListModel(QObject* parent) : QAbstractTableModel(parent) {}

void IconListModel::set_list(std::shared_ptr<const ListDefinition> list) {
  beginResetModel();
  list_ = std::move(list);
  files_.reset();
  endResetModel();
}

void IconListModel::set_icon_files(const std::shared_ptr<const ListDefinition>& list,
                                   std::shared_ptr<const std::vector<QString>> files) {
  if (list != list_ || !files || !list_ || files->size() != list_->entries.size()) return;
  files_ = std::move(files);
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

int IconListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !list_ ? 0 : static_cast<int>(list_->entries.size());
}

int IconListModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid() || !list_) return parent.isValid() ? 0 : 1;
  return std::max<int>(1, static_cast<int>(list_->column_titles.size()));
}

QIcon IconListModel::icon(int row) const {
  const ListEntry& entry = list_->entries[static_cast<std::size_t>(row)];
  if (entry.icon == kIconFile) {
    const QString file = files_ ? (*files_)[static_cast<std::size_t>(row)] : QString();
    if (file.isEmpty()) return builtin_entry_icon(kIconDefault);
    auto found = file_icons_.find(file);
    if (found == file_icons_.end()) {
      QIcon loaded(file);
      if (loaded.availableSizes().isEmpty()) loaded = builtin_entry_icon(kIconDefault);
      found = file_icons_.insert(file, loaded);
    }
    return *found;
  }
  return builtin_entry_icon(entry.icon);
}

QVariant IconListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !list_ || index.row() >= rowCount()) return {};
  const ListEntry& entry = list_->entries[static_cast<std::size_t>(index.row())];
  const auto column = static_cast<std::size_t>(index.column());
  switch (role) {
    case Qt::DisplayRole:
      return column < entry.texts.size() ? QString::fromStdU16String(entry.texts[column])
                                         : QString();
    case Qt::DecorationRole:
      return column == 0 ? QVariant(icon(index.row())) : QVariant();
    case Qt::ToolTipRole:
      return entry.tip.empty() ? QVariant() : QVariant(QString::fromStdU16String(entry.tip));
    default:
      return {};
  }
}

QVariant IconListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !list_) return {};
  const auto at = static_cast<std::size_t>(section);
  return at < list_->column_titles.size() ? QString::fromStdU16String(list_->column_titles[at])
                                          : QString();
}

Qt::ItemFlags IconListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList IconListModel::mimeTypes() const {
  return {QString::fromLatin1(kEntryMimeType)};
}

QMimeData* IconListModel::mimeData(const QModelIndexList& indexes) const {
  if (indexes.isEmpty()) return nullptr;
  auto* data = new QMimeData;
  data->setData(kEntryMimeType, QByteArray::number(indexes.front().row()));
  return data;
}

bool IconListModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                    const QModelIndex& parent) const {
  return parent.isValid() && dragged_entry(data) >= 0 && dragged_entry(data) != parent.row();
}

bool IconListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                 const QModelIndex& parent) {
  if (!canDropMimeData(data, action, row, column, parent) || dragged_entry(data) >= rowCount())
    return false;
  if (drop_) drop_(dragged_entry(data), parent.row());
  return false;  // the host moves entries, not the view
}

Qt::DropActions IconListModel::supportedDropActions() const {
  return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions IconListModel::supportedDragActions() const {
  return Qt::CopyAction | Qt::MoveAction;
}

}  // namespace kovw::dialogs
