#pragma once
// The list dialog of an icon view: a row per field (its label and an edit field preset from the
// data block) and a button per button record, the first one the default. Pressing a button puts
// the fields' texts back into the data block and ends the dialog with the button's code; closing
// it any other way ends it with 0 and the data block as it came.

#include <QDialog>
#include <functional>
#include <vector>

#include "dialogs/list_dialog_form.h"

class QLineEdit;
class QPushButton;

namespace kovw::dialogs {

inline constexpr int kListDialogClosed = 0;

class ListDialogWindow : public QDialog {
  // findChild<ListDialogWindow*> finds this class, not any dialog
  Q_OBJECT

 public:
  using Done = std::function<void(int result, const std::vector<std::uint8_t>& data)>;

  ListDialogWindow(ListDialogForm form, Done done, QWidget* parent);

  QLineEdit* field(int index) const;
  QPushButton* button(int index) const;
  // Ends the dialog as if button `index` was pressed.
  void press(int index);
  // Closed without a button (Esc, the close box).
  void reject() override;

 private:
  void finish(int result, bool take_fields);

  ListDialogForm form_;
  Done done_;
  std::vector<QLineEdit*> fields_;
  std::vector<QPushButton*> buttons_;
  bool finished_ = false;
};

}  // namespace kovw::dialogs
