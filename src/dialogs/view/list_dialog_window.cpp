#include "dialogs/view/list_dialog_window.h"

#include <QCursor>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace kovw::dialogs {

namespace {
constexpr int kMinWidth = 200;
constexpr int kMinHeight = 100;
}  // namespace

ListDialogWindow::ListDialogWindow(ListDialogForm form, Done done, QWidget* parent)
    : QDialog(parent), form_(std::move(form)), done_(std::move(done)) {
  setObjectName(QStringLiteral("list_dialog"));
  setWindowTitle(QString::fromStdU16String(form_.title));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  auto* rows = new QFormLayout;
  layout->addLayout(rows);
  for (const ListDialogField& field : form_.fields) {
    auto* edit = new QLineEdit(QString::fromStdU16String(field.value), this);
    edit->setMaxLength(std::max<int>(1, static_cast<int>(field.length)));
    edit->setEnabled(field.length > 0);
    edit->setMinimumWidth(
        std::min(600, edit->fontMetrics().averageCharWidth() * static_cast<int>(field.length + 2)));
    rows->addRow(QString::fromStdU16String(field.label), edit);
    fields_.push_back(edit);
  }
  auto* box = new QDialogButtonBox(Qt::Horizontal, this);
  for (std::size_t i = 0; i < form_.buttons.size(); ++i) {
    auto* button = new QPushButton(QString::fromStdU16String(form_.buttons[i].label), this);
    button->setObjectName(QString::number(kListDialogButtonIdBase + form_.buttons[i].code));
    button->setDefault(i == 0);
    button->setAutoDefault(i == 0);
    box->addButton(button, QDialogButtonBox::ActionRole);
    connect(button, &QPushButton::clicked, this, [this, i] { press(static_cast<int>(i)); });
    buttons_.push_back(button);
  }
  layout->addWidget(box);
  adjustSize();
  const QScreen* screen = parent ? parent->screen() : this->screen();
  const int screen_width = screen ? screen->availableGeometry().width() : 1920;
  resize(std::clamp(width(), kMinWidth, std::max(kMinWidth, screen_width)),
         std::max(height(), kMinHeight));
  move(QCursor::pos());
}

QLineEdit* ListDialogWindow::field(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < fields_.size()
             ? fields_[static_cast<std::size_t>(index)]
             : nullptr;
}

QPushButton* ListDialogWindow::button(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < buttons_.size()
             ? buttons_[static_cast<std::size_t>(index)]
             : nullptr;
}

void ListDialogWindow::press(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= form_.buttons.size()) return;
  finish(form_.buttons[static_cast<std::size_t>(index)].code, true);
}

void ListDialogWindow::reject() {
  finish(kListDialogClosed, false);
}

void ListDialogWindow::finish(int result, bool take_fields) {
  if (finished_) return;
  finished_ = true;
  if (take_fields)
    for (std::size_t i = 0; i < fields_.size(); ++i)
      write_field(form_, i, fields_[i]->text().toStdU16String());
  if (done_) done_(result, form_.data);
  QDialog::done(result);
}

}  // namespace kovw::dialogs
