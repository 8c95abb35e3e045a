#include "shell/text_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui_text.h"

namespace kovw::shell {

TextDialog::TextDialog(const QString& title, QWidget* parent)
    : QDialog(parent), view_(new QPlainTextEdit(this)) {
  setWindowTitle(title);
  setAccessibleName(title);
  auto* layout = new QVBoxLayout(this);
  view_->setReadOnly(true);
  view_->setLineWrapMode(QPlainTextEdit::NoWrap);
  view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  view_->setAccessibleName(title);
  // Read-only text keeps keyboard selection and scrolling; Tab leaves the text.
  view_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  view_->setTabChangesFocus(true);
  layout->addWidget(view_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  QPushButton* close = buttons->button(QDialogButtonBox::Close);
  close->setText(ui_text("&Schließen", "&Close"));
  close->setAccessibleName(ui_text("Schließen", "Close"));
  close->setDefault(true);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  const QFontMetrics metrics(view_->font());
  resize(metrics.horizontalAdvance(QLatin1Char('x')) * 100, metrics.lineSpacing() * 30);
}

void TextDialog::set_text(const QString& text) {
  view_->setPlainText(text);
}

TextDialog* show_text_dialog(QWidget* parent, const QString& title, const QString& text) {
  auto* dialog = new TextDialog(title, parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->set_text(text);
  dialog->show();
  return dialog;
}

}  // namespace kovw::shell
