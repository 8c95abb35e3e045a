// The date dialog's states and answers, and the file dialogs of the path selection as they
// start (the toolkit's own dialogs, not the desktop's).

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "dialogs/path_choice.h"
#include "dialogs/view/date_dialog.h"
#include "dialogs/view/path_dialog.h"
#include "foundation/message_table.h"
#include "support/test_application.h"

namespace kovw::dialogs {
namespace {

class DateDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { test::application(); }

  std::unique_ptr<DateDialog> open(int year, int month, int day) {
    return std::make_unique<DateDialog>(protocol::KGetDate{year, month, day, "Datum"},
                                        QStringLiteral("Lieferdatum"), nullptr);
  }
  static std::vector<int> ints(const protocol::DateAnswer& a) {
    return {a.year, a.month, a.day, a.result};
  }
};

TEST_F(DateDialogTest, YearZeroStartsEmptyAndOkAnswersNoDate) {
  auto dialog = open(0, 0, 0);
  EXPECT_EQ("Lieferdatum", dialog->windowTitle());
  EXPECT_TRUE(dialog->empty_box()->isChecked());
  EXPECT_FALSE(dialog->picker()->isEnabled());
  EXPECT_EQ(dialog->empty_box(), dialog->focusWidget());
  QTest::mouseClick(dialog->ok_button(), Qt::LeftButton);
  EXPECT_EQ((std::vector<int>{0, 0, 0, protocol::kChoiceChosen}), ints(dialog->answer()));
}

TEST_F(DateDialogTest, PresetDateIsAnsweredUnchanged) {
  auto dialog = open(2024, 2, 29);
  EXPECT_FALSE(dialog->empty_box()->isChecked());
  EXPECT_TRUE(dialog->picker()->isEnabled());
  EXPECT_EQ(dialog->picker(), dialog->focusWidget());
  QTest::mouseClick(dialog->ok_button(), Qt::LeftButton);
  EXPECT_EQ((std::vector<int>{2024, 2, 29, protocol::kChoiceChosen}), ints(dialog->answer()));
}

TEST_F(DateDialogTest, TheBoxSwitchesThePickerBothWays) {
  auto dialog = open(0, 0, 0);
  dialog->empty_box()->click();  // unchecked: a date again
  EXPECT_TRUE(dialog->picker()->isEnabled());
  dialog->picker()->setDate(QDate(2025, 12, 31));
  dialog->ok_button()->click();
  EXPECT_EQ((std::vector<int>{2025, 12, 31, protocol::kChoiceChosen}), ints(dialog->answer()));

  auto second = open(2024, 5, 1);
  second->empty_box()->click();
  EXPECT_FALSE(second->picker()->isEnabled());
  second->ok_button()->click();
  EXPECT_EQ((std::vector<int>{0, 0, 0, protocol::kChoiceChosen}), ints(second->answer()));
}

TEST_F(DateDialogTest, InvalidPresetStartsAtToday) {
  for (const auto& [year, month, day] : {std::tuple{2023, 2, 29}, {2024, 13, 1}, {2024, 4, 0}}) {
    auto dialog = open(year, month, day);
    EXPECT_EQ(QDate::currentDate(), dialog->picker()->date()) << year << "-" << month << "-" << day;
    EXPECT_FALSE(dialog->empty_box()->isChecked());
  }
}

TEST_F(DateDialogTest, CancelAndEscapeAnswerCancelled) {
  auto dialog = open(2024, 3, 1);
  dialog->cancel_button()->click();
  EXPECT_EQ((std::vector<int>{2024, 3, 1, protocol::kChoiceCancelled}), ints(dialog->answer()));

  auto escaped = open(2024, 3, 1);
  escaped->show();
  QTest::keyClick(escaped.get(), Qt::Key_Escape);
  EXPECT_FALSE(escaped->isVisible());
  EXPECT_EQ(protocol::kChoiceCancelled, escaped->answer().result);
}

class PathDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::application();
    set_native_path_dialogs(false);
  }
  void TearDown() override { set_native_path_dialogs(true); }
};

TEST_F(PathDialogTest, KindsChooseTheDialogsMode) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString folder = QDir::cleanPath(dir.path());

  PathDialogSetup open_setup{kPathOpenFile, "Öffnen", folder, {}, {"Texte (*.txt)", "Alle (*)"}};
  std::unique_ptr<QFileDialog> open(make_path_dialog(open_setup, nullptr));
  EXPECT_TRUE(open->testOption(QFileDialog::DontUseNativeDialog));
  EXPECT_EQ(QFileDialog::AcceptOpen, open->acceptMode());
  EXPECT_EQ(QFileDialog::ExistingFile, open->fileMode());
  EXPECT_EQ("Öffnen", open->windowTitle());
  EXPECT_EQ(folder, QDir::cleanPath(open->directory().absolutePath()));
  EXPECT_EQ((QStringList{"Texte (*.txt)", "Alle (*)"}), open->nameFilters());

  PathDialogSetup save_setup{kPathSaveFile, "Sichern", folder, "neu.txt", {}};
  std::unique_ptr<QFileDialog> save(make_path_dialog(save_setup, nullptr));
  EXPECT_EQ(QFileDialog::AcceptSave, save->acceptMode());
  EXPECT_EQ(QFileDialog::AnyFile, save->fileMode());
  EXPECT_EQ(QStringList{folder + "/neu.txt"}, save->selectedFiles());

  PathDialogSetup folder_setup{kPathFolder, {}, folder, {}, {}};
  std::unique_ptr<QFileDialog> choose(make_path_dialog(folder_setup, nullptr));
  EXPECT_EQ(QFileDialog::Directory, choose->fileMode());
  EXPECT_TRUE(choose->testOption(QFileDialog::ShowDirsOnly));
  EXPECT_EQ(QString::fromUtf8(foundation::message_text(kFolderTitleMessage)),
            choose->windowTitle());
}

}  // namespace
}  // namespace kovw::dialogs
