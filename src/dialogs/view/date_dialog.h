#pragma once
// The date question of a host program (KWK_KGETDATE): a date picker in the long date format,
// the "Empty date" check box that switches it off, OK and Cancel. A request for year 0 starts
// with the box checked; a preset that is no valid date starts at today (and is logged).

#include <QDialog>

#include "protocol/program/host_requests.h"

class QCheckBox;
class QDateEdit;
class QPushButton;

namespace kovw::dialogs {

class DateDialog : public QDialog {
  // findChild / qobject_cast find this class
  Q_OBJECT

 public:
  DateDialog(const protocol::KGetDate& request, const QString& title, QWidget* owner);

  // The answer: the picked date or 0, 0, 0 with result 2 after OK; the date sent with result 25
  // otherwise.
  protocol::DateAnswer answer() const;

  QDateEdit* picker() const { return picker_; }
  QCheckBox* empty_box() const { return empty_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* cancel_button() const { return cancel_; }

 private:
  void empty_toggled(bool checked);

  protocol::KGetDate request_;
  QDateEdit* picker_ = nullptr;
  QCheckBox* empty_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace kovw::dialogs
