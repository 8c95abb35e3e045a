#pragma once
// The password dialogs: the new-password dialog used when the password is asked for each
// login, and the dialog to change or choose the access password by the daemon's rules.

#include <QDialog>
#include <string>

class QLineEdit;

namespace kovw::shell {

// User and domain shown and disabled; the password entered (at most 30 characters).
// Accepting stores it enciphered for the user and in the login data.
class NewPasswordDialog : public QDialog {
  Q_OBJECT

 public:
  NewPasswordDialog(const QString& user, const QString& domain, QWidget* parent = nullptr);
  QLineEdit* password_field() const { return password_; }
  void accept() override;

 private:
  QLineEdit* password_ = nullptr;
};

// Old (only for a voluntary change), new and repeated password, checked by the rule level
// before they are handed on. Accepting leaves the checked passwords in the dialog.
class ChangePasswordDialog : public QDialog {
  Q_OBJECT

 public:
  // `voluntary`: the user asked for the change (the old password is asked); otherwise the
  // daemon demands a new password.
  ChangePasswordDialog(bool voluntary, const std::string& user, int rule_level,
                       QWidget* parent = nullptr);
  void accept() override;

  std::string old_password() const;
  std::string new_password() const;
  QLineEdit* old_field() const { return old_; }
  QLineEdit* new_field() const { return new_; }
  QLineEdit* repeated_field() const { return repeated_; }

 private:
  std::string user_;
  int rule_level_;
  QLineEdit* old_ = nullptr;
  QLineEdit* new_ = nullptr;
  QLineEdit* repeated_ = nullptr;
};

}  // namespace kovw::shell
