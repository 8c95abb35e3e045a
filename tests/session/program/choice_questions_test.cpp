// KWK_KGETDATE and KWK_KGETFNAME from request to answer: the real dialogs (the toolkit's own)
// are answered the way a user would, and the bytes the host gets are checked.

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <mutex>

#include "dialogs/path_choice.h"
#include "dialogs/view/date_dialog.h"
#include "dialogs/view/path_dialog.h"
#include "protocol/program/host_requests.h"
#include "session/context_fixture.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

// Waits for the shown dialog of type T and lets `act` answer it.
template <class T>
void when_shown(std::function<void(T*)> act) {
  auto* poll = new QTimer;
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<T*>(widget);
      if (dialog == nullptr || !dialog->isVisible()) continue;
      poll->stop();
      poll->deleteLater();
      act(dialog);
      return;
    }
  });
  poll->start();
}

class ChoiceQuestionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_app();
    unattended_ = qgetenv(foundation::kUnattendedVariable);
    unsetenv(foundation::kUnattendedVariable);
    foundation::set_message_presenter(&user_);
    dialogs::set_native_path_dialogs(false);
    ASSERT_TRUE(dir_.isValid());
    root_ = QDir::cleanPath(dir_.path());
    fake_.host.load_choose_directory = [this] {
      std::lock_guard lock(mutex_);
      return last_folder_;
    };
    fake_.host.save_choose_directory = [this](const std::string& folder) {
      std::lock_guard lock(mutex_);
      last_folder_ = folder;
    };
  }
  void TearDown() override {
    dialogs::set_native_path_dialogs(true);
    foundation::set_message_presenter(nullptr);
    if (unattended_.isNull())
      unsetenv(foundation::kUnattendedVariable);
    else
      qputenv(foundation::kUnattendedVariable, unattended_);
  }

  std::vector<std::int32_t> ask_date(protocol::KGetDate request) {
    return read_ints(fake_.ask(protocol::build_kgetdate(request)).payload);
  }
  protocol::FnameAnswer ask_path(const protocol::KGetFname& request) {
    const auto answer =
        protocol::parse_fname_answer(fake_.ask(protocol::build_kgetfname(request)).payload);
    EXPECT_TRUE(static_cast<bool>(answer));
    return answer ? *answer : protocol::FnameAnswer{};
  }

  QByteArray unattended_;
  FakeContext fake_;
  ScriptedUser user_;
  QTemporaryDir dir_;
  QString root_;
  std::mutex mutex_;
  std::string last_folder_;
};

TEST_F(ChoiceQuestionsTest, EmptyDateAndPresetDateAreAnswered) {
  when_shown<dialogs::DateDialog>([](dialogs::DateDialog* dialog) {
    EXPECT_TRUE(dialog->empty_box()->isChecked());
    EXPECT_FALSE(dialog->picker()->isEnabled());
    dialog->ok_button()->click();
  });
  EXPECT_EQ((std::vector<std::int32_t>{0, 0, 0, protocol::kChoiceChosen}),
            ask_date({0, 0, 0, "Datum"}));

  when_shown<dialogs::DateDialog>([](dialogs::DateDialog* dialog) {
    EXPECT_EQ("Lieferung", dialog->windowTitle());
    dialog->ok_button()->click();
  });
  EXPECT_EQ((std::vector<std::int32_t>{2024, 2, 29, protocol::kChoiceChosen}),
            ask_date({2024, 2, 29, "Lieferung"}));

  when_shown<dialogs::DateDialog>([](dialogs::DateDialog* dialog) { dialog->reject(); });
  EXPECT_EQ(protocol::kChoiceCancelled, ask_date({2024, 2, 29, "Lieferung"})[3]);
}

TEST_F(ChoiceQuestionsTest, SaveWithDoubledBackslashesStartsThereAndAnswersDoubled) {
  ASSERT_TRUE(QDir(root_).mkdir("out"));
  protocol::KGetFname request;
  std::string host_folder = (root_ + "/out").toStdString();
  std::replace(host_folder.begin(), host_folder.end(), '/', '\\');
  request.start_path = dialogs::double_backslashes(host_folder + "\\bericht.txt");
  request.filter = "Texte|*.txt|Alle|*.*";
  request.flags = dialogs::kPathSaveFile | dialogs::kPathDoubledBackslashes;
  request.title = "Sichern";
  QString shown_folder;
  QStringList shown_filters;
  when_shown<QFileDialog>([&](QFileDialog* dialog) {
    shown_folder = QDir::cleanPath(dialog->directory().absolutePath());
    shown_filters = dialog->nameFilters();
    static_cast<QDialog*>(dialog)->accept();  // the offered name
  });
  const protocol::FnameAnswer answer = ask_path(request);
  EXPECT_EQ(root_ + "/out", shown_folder);
  EXPECT_EQ((QStringList{"Texte (*.txt)", "Alle (*.*)"}), shown_filters);
  EXPECT_EQ(protocol::kChoiceChosen, answer.result);
  EXPECT_EQ(dialogs::double_backslashes(host_folder + "\\bericht.txt"), answer.path);
  EXPECT_EQ(-1, answer.x);  // no placement sent, none answered
  EXPECT_TRUE(user_.asked.empty());
}

TEST_F(ChoiceQuestionsTest, HostThatKeepsSlashesGetsThePathAsChosen) {
  const QString file = root_ + "/daten.csv";
  QFile(file).open(QIODevice::WriteOnly);
  fake_.host.host_keeps_slash = true;
  fake_.host.daemon_version = 0x30008;
  protocol::KGetFname request;
  request.start_path = file.toStdString();
  request.flags = dialogs::kPathOpenFile;
  when_shown<QFileDialog>([](QFileDialog* dialog) { static_cast<QDialog*>(dialog)->accept(); });
  const protocol::FnameAnswer answer = ask_path(request);
  EXPECT_EQ(protocol::kChoiceChosen, answer.result);
  EXPECT_EQ(file.toStdString(), answer.path);
}

TEST_F(ChoiceQuestionsTest, MalformedFilterIsReportedAndTheDialogStillShown) {
  protocol::KGetFname request;
  request.start_path = root_.toStdString();
  request.filter = "Texte|*.txt|Alle";
  request.flags = dialogs::kPathOpenFile;
  bool shown = false;
  when_shown<QFileDialog>([&](QFileDialog* dialog) {
    shown = true;
    EXPECT_EQ(QStringList{"Texte (*.txt)"}, dialog->nameFilters());
    dialog->reject();
  });
  const protocol::FnameAnswer answer = ask_path(request);
  EXPECT_TRUE(shown);
  EXPECT_EQ(protocol::kChoiceCancelled, answer.result);
  EXPECT_EQ("", answer.path);
  ASSERT_EQ(1u, user_.asked.size());
  EXPECT_NE(std::string::npos, user_.asked[0].find("Falscher Aufbau Dateifilter."));
  EXPECT_NE(std::string::npos, user_.asked[0].find("Texte|*.txt|Alle"));
}

TEST_F(ChoiceQuestionsTest, FolderChoiceStartsInTheLastFolderAndKeepsTheNewOne) {
  ASSERT_TRUE(QDir(root_).mkpath("last/next"));
  last_folder_ = (root_ + "/last").toStdString();
  protocol::KGetFname request;
  request.flags = dialogs::kPathFolder;
  request.flags |= protocol::kSelectPlacementFlag;
  request.option = 1;
  request.width = 300;
  request.height = 200;
  request.x = 10;
  request.y = 20;
  QString shown_folder;
  when_shown<QFileDialog>([&](QFileDialog* dialog) {
    shown_folder = QDir::cleanPath(dialog->directory().absolutePath());
    dialog->setDirectory(root_ + "/last/next");
    static_cast<QDialog*>(dialog)->accept();
  });
  const protocol::FnameAnswer answer = ask_path(request);
  EXPECT_EQ(root_ + "/last", shown_folder);
  EXPECT_EQ(protocol::kChoiceChosen, answer.result);
  std::string expected = (root_ + "/last/next").toStdString();
  EXPECT_EQ(expected, last_folder_);
  std::replace(expected.begin(), expected.end(), '/', '\\');
  EXPECT_EQ(expected, answer.path);
  EXPECT_EQ(
      (std::vector<std::int32_t>{1, 300, 200, 10, 20}),
      (std::vector<std::int32_t>{answer.option, answer.width, answer.height, answer.x, answer.y}));
}

TEST_F(ChoiceQuestionsTest, KindsWithoutADialogAndUnattendedRunsAnswerCancelled) {
  protocol::KGetFname request;
  for (const std::int32_t kind : {256, 512, 768, 1024, 8, 0}) {
    request.flags = kind;
    EXPECT_EQ(protocol::kChoiceCancelled, ask_path(request).result) << kind;
  }
  setenv(foundation::kUnattendedVariable, "1", 1);
  request.flags = dialogs::kPathOpenFile;
  EXPECT_EQ(protocol::kChoiceCancelled, ask_path(request).result);
  EXPECT_EQ(protocol::kChoiceCancelled, ask_date({2024, 1, 1, "x"})[3]);
  for (QWidget* widget : QApplication::topLevelWidgets())
    EXPECT_FALSE(widget->isVisible() && qobject_cast<QDialog*>(widget))
        << widget->metaObject()->className();
}

TEST_F(ChoiceQuestionsTest, UnreadableRequestGetsTheCancelledAnswer) {
  protocol::KGetFname request;
  request.filter = std::string(protocol::kSelectFilterMax + 1, 'x');
  request.flags = dialogs::kPathOpenFile;
  EXPECT_EQ(protocol::kChoiceCancelled, ask_path(request).result);
}

}  // namespace
}  // namespace kovw::session::test
