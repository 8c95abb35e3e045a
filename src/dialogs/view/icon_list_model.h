#pragma once
// The one model behind every view mode of an icon view's list: a row per entry of the list
// definition, a column per column of it. Texts are converted when a view asks for them and icons
// are made when a row is first drawn, so a list of 100,000 entries costs no more than the rows
// on screen. Dragging an entry carries its row; a drop on an entry or on a folder (the tree's
// model) goes to the drop function the view installs.

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <functional>
#include <memory>
#include <vector>

#include "dialogs/icon_view_model.h"

namespace kovw::dialogs {

// The MIME type of a dragged entry: its row as decimal text.
inline constexpr char kEntryMimeType[] = "application/x-kovw-list-entry";

// The workstation's built-in icons: 0 the default, 1 to 10 the numbered ones; anything else the
// default.
QIcon builtin_entry_icon(int number);

// The dragged entry's row in `data`, or -1.
int dragged_entry(const class QMimeData* data);

class IconListModel : public QAbstractTableModel {
 public:
  using DropOnEntry = std::function<void(int entry, int target)>;

  explicit IconListModel(QObject* parent = nullptr);

  void set_list(std::shared_ptr<const ListDefinition> list);
  // The local icon files of the entries (empty: built-in icon); they belong to `list`, and are
  // ignored when another list is shown by now.
  void set_icon_files(const std::shared_ptr<const ListDefinition>& list,
                      std::shared_ptr<const std::vector<QString>> files);
  const ListDefinition* list() const { return list_.get(); }
  const std::shared_ptr<const ListDefinition>& shared_list() const { return list_; }
  void set_drop_function(DropOnEntry drop) { drop_ = std::move(drop); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  class QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;
  Qt::DropActions supportedDropActions() const override;
  Qt::DropActions supportedDragActions() const override;

 private:
  QIcon icon(int row) const;

  std::shared_ptr<const ListDefinition> list_;
  std::shared_ptr<const std::vector<QString>> files_;
  mutable QHash<QString, QIcon> file_icons_;  // loaded once per file
  DropOnEntry drop_;
};

}  // namespace kovw::dialogs
