#include "shell/macro_dialog.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "shell/macro_state.h"
#include "support/test_application.h"

namespace kovw::shell {
namespace {

QDialog* macro_dialog() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "macro_dialog" && w->isVisible()) return qobject_cast<QDialog*>(w);
  return nullptr;
}

void confirm(QDialog* dialog) {
  dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

TEST(MacroDialog, AcceptsOnlyValidNamesAndWaits) {
  test::application();
  std::optional<MacroChoice> chosen;
  open_macro_dialog(nullptr, true, [&](const MacroChoice& c) { chosen = c; });
  QDialog* dialog = macro_dialog();
  ASSERT_NE(dialog, nullptr);
  auto* name = dialog->findChild<QLineEdit*>("macro_name");
  auto* wait = dialog->findChild<QLineEdit*>("macro_wait");
  EXPECT_EQ(wait->text(), "1000");
  for (const char* bad : {"", "..", "a/b", "a\\b"}) {
    name->setText(bad);
    confirm(dialog);
    EXPECT_FALSE(chosen) << bad;
    EXPECT_FALSE(dialog->findChild<QLabel*>("macro_problem")->text().isEmpty());
  }
  name->setText("Auftrag");
  wait->setText("+x");
  confirm(dialog);
  EXPECT_FALSE(chosen);
  wait->setText("+100");
  confirm(dialog);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->name, "Auftrag");
  EXPECT_EQ(chosen->wait, (protocol::MacroWaitRule{protocol::MacroWaitRule::Mode::Fixed, 100}));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(macro_dialog(), nullptr);
}

TEST(MacroDialog, RecordingEmptiesTheFolderAndEndsPacked) {
  test::application();
  QTemporaryDir temp;
  const std::string data = temp.path().toStdString();
  const std::string folder = data + "/makro/Auftrag";
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/old.mdx") << "old";
  std::vector<std::string> statuses;
  static std::vector<std::string>* sink = nullptr;
  sink = &statuses;
  testing::set_macro_status_sink([](const std::string& s) { sink->push_back(s); });
  ASSERT_TRUE(start_macro(nullptr, {"Auftrag", {}}, false, data));
  EXPECT_FALSE(std::filesystem::exists(folder + "/old.mdx"));
  EXPECT_TRUE(macro_active());
  std::ofstream(folder + "/prog_1.mdx") << "new";
  end_macro(nullptr);
  EXPECT_FALSE(macro_active());
  EXPECT_TRUE(std::filesystem::exists(data + "/makro/Auftrag.zip"));
  EXPECT_EQ(statuses, (std::vector<std::string>{"Makro Aufzeichnung aktiv",
                                                "Makro Aufzeichnung: Erstelle ZIP-Datei", ""}));
  EXPECT_FALSE(start_macro(nullptr, {"../x", {}}, false, data));
  EXPECT_FALSE(macro_active());
  testing::set_macro_status_sink(nullptr);
  testing::reset_macro_state();
}

}  // namespace
}  // namespace kovw::shell
