#pragma once
// The folder tree of an icon view: one item per folder of the tree definition, each below its
// parent, carrying its index in the definition. Folders that take dropped entries accept the
// list's entries; the drop goes to the drop function the view installs.

#include <QStandardItemModel>
#include <functional>
#include <memory>
#include <vector>

#include "dialogs/icon_view_model.h"

namespace kovw::dialogs {

inline constexpr int kFolderIndexRole = Qt::UserRole + 1;

// The tree's four icons: 0 a closed folder, 1 an open one, 2 a drive, 3 a document.
QIcon tree_icon(int number);

class FolderTreeModel : public QStandardItemModel {
 public:
  using DropOnFolder = std::function<void(int entry, int folder)>;

  explicit FolderTreeModel(QObject* parent = nullptr);

  // Replaces every folder with those of `tree`.
  void set_tree(std::shared_ptr<const TreeDefinition> tree);
  const TreeDefinition* tree() const { return tree_.get(); }
  const std::shared_ptr<const TreeDefinition>& shared_tree() const { return tree_; }
  // The item of folder `folder`, or null.
  QStandardItem* item_of(int folder) const;
  // Shows the folder's second icon while it is expanded, else its first.
  void show_expanded(const QModelIndex& index, bool expanded);
  void set_drop_function(DropOnFolder drop) { drop_ = std::move(drop); }

  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;
  Qt::DropActions supportedDropActions() const override;

 private:
  const TreeFolder* folder_at(const QModelIndex& index) const;

  std::shared_ptr<const TreeDefinition> tree_;
  std::vector<QStandardItem*> items_;  // by folder index, owned by the model
  DropOnFolder drop_;
};

}  // namespace kovw::dialogs
