#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "foundation/message_table.h"
#include "foundation/show_message.h"
#include "platform_application.h"

namespace kovw::platform {
namespace {

using namespace kovw::foundation;

using test::application;

struct SeenBox {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList labels;
  bool modal = false;
};

// Waits on the GUI thread for a message box and clicks the button labelled `label`;
// an empty label closes the box with Escape instead.
void answer_box_later(const QString& label, SeenBox* seen) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, label, seen] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (!box || !box->isVisible()) continue;
      seen->caption = box->windowTitle();
      seen->text = box->text();
      seen->icon = box->icon();
      seen->modal = box->windowModality() == Qt::ApplicationModal;
      for (QAbstractButton* button : box->buttons()) seen->labels << button->text();
      timer->stop();
      timer->deleteLater();
      if (label.isEmpty()) {
        box->reject();
        return;
      }
      for (QAbstractButton* button : box->buttons())
        if (button->text() == label) {
          button->click();
          return;
        }
      ADD_FAILURE() << "no button " << label.toStdString();
      box->reject();
      return;
    }
  });
  timer->start();
}

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    if (const char* value = std::getenv(kUnattendedVariable)) saved_unattended_ = value;
    unsetenv(kUnattendedVariable);
    saved_language_ = language();
    set_language(kLanguageEnglish);
    install_message_box_presenter();
  }
  void TearDown() override {
    remove_message_box_presenter();
    set_language(saved_language_);
    if (saved_unattended_) setenv(kUnattendedVariable, saved_unattended_->c_str(), 1);
  }

  std::optional<std::string> saved_unattended_;
  int saved_language_ = kLanguageGerman;
};

TEST_F(MessageBoxTest, BoxOnTheGuiThreadReturnsTheClickedAnswer) {
  SeenBox seen;
  answer_box_later("No", &seen);
  EXPECT_EQ(show_message(nullptr, kMsgYesNo, 0, "Login", "Still connected to %s.", "hostA"),
            kAnswerNo);
  EXPECT_EQ(seen.caption, "Login");
  EXPECT_EQ(seen.text, "Still connected to hostA.");
  EXPECT_EQ(seen.icon, QMessageBox::Question);
  EXPECT_TRUE(seen.modal);
  EXPECT_EQ(seen.labels.size(), 2);
}

TEST_F(MessageBoxTest, GermanLabelsAndButtonsWithoutStandardCounterpart) {
  set_language(kLanguageGerman);
  struct Case {
    int flags;
    const char* click;
    int answer;
  };
  const Case cases[] = {
      {kMsgYesNoCancel, "Nein", kAnswerNo},
      {kMsgCancelTryContinue, "Fortfahren", kAnswerContinue},
      {kMsgCancelTryContinue, "Wiederholen", kAnswerRetry},
      {kMsgRetryCancel, "Abbrechen", kAnswerCancel},
      {kMsgOkCancel, "OK", kAnswerOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.click);
    SeenBox seen;
    answer_box_later(QString::fromUtf8(c.click), &seen);
    EXPECT_EQ(show_message(nullptr, c.flags, 0, "Frage", "Weiter?"), c.answer);
    EXPECT_TRUE(seen.labels.contains(QString::fromUtf8(c.click)));
  }
}

TEST_F(MessageBoxTest, ClosingAnswersCancelOrOk) {
  SeenBox seen;
  answer_box_later(QString(), &seen);
  EXPECT_EQ(show_message(nullptr, kMsgRetryCancel, 0, "c", "retry?"), kAnswerCancel);
  answer_box_later(QString(), &seen);
  EXPECT_EQ(show_message(nullptr, 0, 0, "c", "note"), kAnswerOk);
  EXPECT_EQ(seen.icon, QMessageBox::Information);
}

TEST_F(MessageBoxTest, BoxAskedByAWorkerThreadRunsOnTheGuiThread) {
  SeenBox seen;
  answer_box_later("Yes", &seen);
  std::atomic<int> answer{-1};
  QEventLoop loop;
  std::thread worker([&] {
    answer = show_message(nullptr, kMsgYesNo, 0, "Worker", "From a program thread");
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);  // never hang the suite
  loop.exec();
  worker.join();
  EXPECT_EQ(answer.load(), kAnswerYes);
  // The timer on the GUI thread found the box among that thread's top-level widgets.
  EXPECT_EQ(seen.caption, "Worker");
}

TEST_F(MessageBoxTest, UnattendedRunsShowNoBox) {
  setenv(kUnattendedVariable, "1", 1);
  EXPECT_EQ(show_message(nullptr, kMsgYesNo, 0, "c", "unattended"), kAnswerYes);
  for (QWidget* widget : QApplication::topLevelWidgets())
    EXPECT_FALSE(qobject_cast<QMessageBox*>(widget) && widget->isVisible());
}

}  // namespace
}  // namespace kovw::platform
