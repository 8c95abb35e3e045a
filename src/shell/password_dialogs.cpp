#include "shell/password_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/host_text.h"
#include "foundation/message_table.h"
#include "foundation/show_message.h"
#include "shell/login_data.h"
#include "shell/password_rules.h"
#include "shell/settings_store.h"

namespace kovw::shell {
namespace {

QString text_of(const char* german, const char* english) {
  return QString::fromUtf8(foundation::german() ? german : english);
}

std::string to_host(const QString& text) {
  return foundation::wide_to_host(text.toStdU16String());
}

QLineEdit* add_field(QWidget* parent, QFormLayout* form, const QString& label_text,
                     const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  auto* label = new QLabel(label_text, parent);
  label->setBuddy(edit);
  edit->setAccessibleName(QString(label_text).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
  form->addRow(label, edit);
  return edit;
}

void make_password(QLineEdit* edit, int max_length) {
  edit->setEchoMode(QLineEdit::Password);
  edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
  edit->setMaxLength(max_length);
}

QDialogButtonBox* add_buttons(QDialog* dialog, QVBoxLayout* layout) {
  auto* buttons = new QDialogButtonBox(dialog);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel =
      buttons->addButton(text_of("Abbrechen", "Cancel"), QDialogButtonBox::RejectRole);
  ok->setAccessibleName(QStringLiteral("OK"));
  cancel->setAccessibleName(cancel->text());
  ok->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return buttons;
}

}  // namespace

NewPasswordDialog::NewPasswordDialog(const QString& user, const QString& domain, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("NewPasswordDialog"));
  setWindowTitle(text_of("Kennwort", "Password"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  QLineEdit* user_field = add_field(this, form, text_of("&Benutzer:", "&User:"), "user");
  QLineEdit* domain_field = add_field(this, form, text_of("&Domäne:", "&Domain:"), "domain");
  password_ = add_field(this, form, text_of("&Kennwort:", "&Password:"), "password");
  user_field->setText(user);
  domain_field->setText(domain);
  user_field->setEnabled(false);
  domain_field->setEnabled(false);
  make_password(password_, kLoginPasswordMax + 1);
  layout->addLayout(form);
  add_buttons(this, layout);
  password_->setFocus();
}

void NewPasswordDialog::accept() {
  const QString typed = password_->text();
  if (check_login_password(to_latin9(typed.toStdU16String())) != 0) {
    foundation::show_message_number(this, 0, 0, "Login", 10099);
    password_->clear();
    return;
  }
  SettingsRecord& settings = mutable_settings();
  PasswordField enciphered{};
  if (!encipher_password(to_host(typed), enciphered)) {
    foundation::show_message_number(this, 0, 0, "Login", 10099);
    password_->clear();
    return;
  }
  settings.password = enciphered;
  settings.save_passwd |= kPasswordPresent;
  save_user_password(settings_store().registry(), settings.user.view(), settings.host.view(),
                     settings.domain.view(), enciphered);
  QDialog::accept();
}

ChangePasswordDialog::ChangePasswordDialog(bool voluntary, const std::string& user, int rule_level,
                                           QWidget* parent)
    : QDialog(parent), user_(user), rule_level_(rule_level) {
  setObjectName(voluntary ? QStringLiteral("ChangePasswordDialog")
                          : QStringLiteral("ChoosePasswordDialog"));
  setWindowTitle(voluntary ? text_of("Kennwort ändern", "Change password")
                           : text_of("Neues Kennwort wählen", "Choose a new password"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  if (voluntary) {
    old_ = add_field(this, form, text_of("&Altes Kennwort:", "&Old password:"), "oldPassword");
    make_password(old_, kAccessPasswordFieldMax);
  }
  new_ = add_field(this, form, text_of("&Neues Kennwort:", "&New password:"), "newPassword");
  repeated_ = add_field(this, form, text_of("Kennwort &wiederholen:", "&Repeat password:"),
                        "repeatedPassword");
  make_password(new_, kAccessPasswordFieldMax);
  make_password(repeated_, kAccessPasswordFieldMax);
  layout->addLayout(form);
  add_buttons(this, layout);
  (old_ ? old_ : new_)->setFocus();
}

std::string ChangePasswordDialog::old_password() const {
  return old_ ? to_latin9(old_->text().toStdU16String()) : std::string();
}

std::string ChangePasswordDialog::new_password() const {
  return to_latin9(new_->text().toStdU16String());
}

void ChangePasswordDialog::accept() {
  const PasswordVerdict verdict =
      check_new_password(old_password(), new_password(),
                         to_latin9(repeated_->text().toStdU16String()), user_, rule_level_);
  if (!verdict.ok()) {
    if (verdict.message == 10214) {
      foundation::show_message_number(this, 0, 0, "Login", verdict.message,
                                      verdict.text_argument.c_str());
    } else {
      foundation::show_message_number(this, 0, 0, "Login", verdict.message,
                                      verdict.number_argument);
    }
    new_->clear();
    repeated_->clear();
    new_->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace kovw::shell
