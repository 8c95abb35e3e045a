#include "platform/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <map>
#include <memory>

#include "foundation/log.h"
#include "foundation/message_table.h"
#include "platform/gui_call.h"

namespace kovw::platform {
namespace {

using foundation::MessageBoxRequest;
using foundation::MessageButton;

QMessageBox::StandardButton standard_button(MessageButton button) {
  switch (button) {
    case MessageButton::Ok:
      return QMessageBox::Ok;
    case MessageButton::Cancel:
      return QMessageBox::Cancel;
    case MessageButton::Abort:
      return QMessageBox::Abort;
    case MessageButton::Retry:
      return QMessageBox::Retry;
    case MessageButton::Ignore:
      return QMessageBox::Ignore;
    case MessageButton::Yes:
      return QMessageBox::Yes;
    case MessageButton::No:
      return QMessageBox::No;
    case MessageButton::TryAgain:
    case MessageButton::Continue:
      return QMessageBox::NoButton;
  }
  return QMessageBox::NoButton;
}

// Without a QApplication no box can be drawn: the text goes to the log and to standard error.
int log_only(const MessageBoxRequest& request) {
  foundation::log_printf("%s", request.text.c_str());
  std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
  return foundation::message_default_answer(request.flags);
}

class QtMessagePresenter final : public foundation::MessagePresenter {
 public:
  int present(const MessageBoxRequest& request) override {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return log_only(request);
    // A thread other than the GUI thread waits for the box's answer.
    const auto answer = gui_call([&request] { return exec_message_box(request); });
    return answer ? *answer : log_only(request);
  }
};

std::unique_ptr<QtMessagePresenter> g_presenter;

}  // namespace

int exec_message_box(const MessageBoxRequest& request) {
  QMessageBox box;
  box.setWindowTitle(QString::fromUtf8(request.caption));
  box.setText(QString::fromUtf8(request.text));
  box.setTextFormat(Qt::PlainText);
  box.setIcon(request.icon == foundation::MessageIcon::Question ? QMessageBox::Question
                                                                : QMessageBox::Information);
  box.setWindowModality(Qt::ApplicationModal);

  std::map<QAbstractButton*, int> answers;
  QAbstractButton* escape = nullptr;
  for (const auto& wanted : request.buttons) {
    const QString label = wanted.label_number
                              ? QString::fromUtf8(foundation::message_text(wanted.label_number))
                              : QString();
    QAbstractButton* button = nullptr;
    if (const auto standard = standard_button(wanted.button); standard != QMessageBox::NoButton) {
      button = box.addButton(standard);
      if (!label.isEmpty()) button->setText(label);
    } else {
      button = box.addButton(label, QMessageBox::AcceptRole);
    }
    answers[button] = wanted.answer;
    if (answers.size() == 1) box.setDefaultButton(qobject_cast<QPushButton*>(button));
    if (wanted.button == MessageButton::Cancel) escape = button;
  }
  if (!escape && request.buttons.size() == 1) escape = answers.begin()->first;
  if (escape) box.setEscapeButton(escape);

  box.show();
  box.raise();
  box.activateWindow();
  box.exec();

  QAbstractButton* clicked = box.clickedButton();
  if (!clicked) clicked = escape;
  const auto found = answers.find(clicked);
  if (found != answers.end()) return found->second;
  return foundation::message_default_answer(request.flags);
}

void install_message_box_presenter() {
  if (g_presenter) return;
  g_presenter = std::make_unique<QtMessagePresenter>();
  foundation::set_message_presenter(g_presenter.get());
}

void remove_message_box_presenter() {
  if (foundation::message_presenter() == g_presenter.get())
    foundation::set_message_presenter(nullptr);
  g_presenter.reset();
}

}  // namespace kovw::platform
