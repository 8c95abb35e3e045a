// The general settings dialog through the settings store: values round trip, the edit rules
// (points x 10, cursor width, automatic port), the restart notice, Cancel reloading; and the
// start-program dialog's environment table.
#include "shell/settings_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <map>
#include <set>

#include "foundation/message_table.h"
#include "shell/environment_table.h"
#include "shell/settings_edit_rules.h"
#include "shell/settings_store.h"
#include "shell/start_program_dialog.h"
#include "shell/temp_xdg_home.h"
#include "shell_gui_fixture.h"

namespace kovw::shell {
namespace {

TEST(SettingsEditRules, PointsCursorWidthAndAutomaticPort) {
  const std::pair<double, int> sizes[] = {{10.0, 100}, {10.46, 105}, {10.44, 104}, {8.25, 83},
                                          {0.0, 0},    {-3.0, 0},    {0.04, 0}};
  for (const auto& [points, tenths] : sizes) EXPECT_EQ(tenths, points_to_tenths(points)) << points;
  EXPECT_DOUBLE_EQ(10.5, tenths_to_points(105));

  const std::pair<int, int> widths[] = {{0, 2}, {1, 1}, {30, 30}, {31, 2}, {-5, 2}, {7, 7}};
  for (const auto& [in, out] : widths) EXPECT_EQ(out, checked_cursor_width(in)) << in;

  SettingsRecord record;
  record.kovd_port = 5000;
  record.kovw_port = 1234;
  record.cursor_width = 99;
  apply_settings_edit_rules(record);
  EXPECT_EQ(1234, record.kovw_port);
  EXPECT_EQ(2, record.cursor_width);
  record.automatic_kovw_port = 1;
  apply_settings_edit_rules(record);
  EXPECT_EQ(5003, record.kovw_port);
}

TEST(SettingsEditRules, RestartIsNeededForPortsLanguageCharsetAndPrintService) {
  const SettingsRecord before;
  std::int32_t SettingsRecord::*const needing[] = {&SettingsRecord::kovw_port,
                                                   &SettingsRecord::kovd_port,
                                                   &SettingsRecord::kovw_printer_port,
                                                   &SettingsRecord::kovw_videoport,
                                                   &SettingsRecord::language,
                                                   &SettingsRecord::charset,
                                                   &SettingsRecord::disable_print_service,
                                                   &SettingsRecord::auto_print_port,
                                                   &SettingsRecord::automatic_kovw_port};
  for (auto field : needing) {
    SettingsRecord after = before;
    after.*field += 1;
    EXPECT_TRUE(restart_needed(before, after));
  }
  SettingsRecord after = before;
  after.cursor_width = 5;
  after.font_size = 120;
  after.auto_login = 1;
  EXPECT_FALSE(restart_needed(before, after));
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::application();
    store = fresh_store();
    store->load_settings(true);
    store->load_login(true);
  }
  static std::unique_ptr<SettingsStore> fresh_store() {
    auto store = std::make_unique<SettingsStore>();
    SettingsRecord& r = store->record();
    r.kovd_port = 4724;
    r.kovw_printer_port = 9500;
    r.kovw_port = 4727;
    r.automatic_kovw_port = 1;
    store->set_version_word(0x070305);
    return store;
  }
  template <typename Widget>
  Widget* control(QWidget& dialog, const char* name) {
    auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(nullptr, widget) << name;
    return widget;
  }

  test::TempXdgHome home;
  std::unique_ptr<SettingsStore> store;
};

TEST_F(SettingsDialogTest, OkStoresTheEditedValuesWithTheirRules) {
  SettingsDialog dialog(*store);
  EXPECT_EQ(7, dialog.tabs()->count());
  EXPECT_EQ(2, control<QSpinBox>(dialog, "Cursor Width")->value());
  // The listening port follows the daemon port while the automatic port is set.
  auto* kovw_port = control<QSpinBox>(dialog, "KOVW Port");
  EXPECT_FALSE(kovw_port->isEnabled());
  control<QSpinBox>(dialog, "KOVD Port")->setValue(5100);
  EXPECT_EQ(5103, kovw_port->value());

  control<QDoubleSpinBox>(dialog, "Font Size")->setValue(10.5);
  control<QDoubleSpinBox>(dialog, "Prop Size")->setValue(9);
  control<QComboBox>(dialog, "Font Name")->setEditText("Mono Test");
  control<QSpinBox>(dialog, "Cursor Width")->setValue(45);
  control<QSpinBox>(dialog, "Font Faktor")->setValue(120);
  control<QCheckBox>(dialog, "Save Passwd/0")->setChecked(true);
  control<QCheckBox>(dialog, "Virtual Keyboard/1")->setChecked(true);
  control<QCheckBox>(dialog, "Error Level/4")->setChecked(true);
  control<QSpinBox>(dialog, "Error Level")->setValue(5);
  control<QLineEdit>(dialog, "User")->setText("anna");
  auto* slow = control<QComboBox>(dialog, "Slow Connect");
  slow->setCurrentIndex(slow->findData(2));
  {
    test::ScriptedBoxes boxes;
    dialog.accept();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Setup", boxes.boxes[0].caption);
  }

  auto reread = fresh_store();
  reread->load_settings(true);
  reread->load_login(true);
  const SettingsRecord& r = reread->record();
  EXPECT_EQ(5100, r.kovd_port);
  EXPECT_EQ(5103, r.kovw_port);
  EXPECT_EQ(105, r.font_size);
  EXPECT_EQ(90, r.prop_size);
  EXPECT_EQ("Mono Test", r.font_name.view());
  EXPECT_EQ(2, r.cursor_width);
  EXPECT_EQ(120, r.font_factor);
  EXPECT_EQ(1, r.save_passwd & 1);
  EXPECT_EQ(2, r.virtual_keyboard);
  EXPECT_EQ(0x15, r.error_level);
  EXPECT_EQ(2, r.slow_connect);
  EXPECT_EQ("anna", r.user.view());
  // The derived font values follow at once in the running record.
  EXPECT_EQ(126, store->record().text_font_height);
}

TEST_F(SettingsDialogTest, NoRestartNoticeWithoutSuchAChangeAndCancelReloads) {
  {
    SettingsDialog dialog(*store);
    control<QSpinBox>(dialog, "Cursor Width")->setValue(4);
    test::ScriptedBoxes boxes;
    dialog.accept();
    EXPECT_TRUE(boxes.boxes.empty());
  }
  EXPECT_EQ(4, store->record().cursor_width);

  SettingsDialog dialog(*store);
  control<QSpinBox>(dialog, "Cursor Width")->setValue(9);
  dialog.store_into(store->record());
  EXPECT_EQ(9, store->record().cursor_width);
  dialog.reject();
  EXPECT_EQ(4, store->record().cursor_width);
}

TEST_F(SettingsDialogTest, KeyboardAndAccessibility) {
  for (const int language : {foundation::kLanguageGerman, foundation::kLanguageEnglish}) {
    foundation::set_language(language);
    SCOPED_TRACE(language);
    SettingsDialog dialog(*store);
    auto* foreground = control<QCheckBox>(dialog, "Foreground Lock");
    EXPECT_FALSE(foreground->isEnabled());
    EXPECT_FALSE(foreground->toolTip().isEmpty());
    // Every control of the dialog has an accessible name (the parts Qt builds into spin
    // boxes and combo boxes excepted).
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
      const bool control = qobject_cast<QAbstractButton*>(widget) ||
                           qobject_cast<QAbstractSpinBox*>(widget) ||
                           qobject_cast<QComboBox*>(widget) || qobject_cast<QLineEdit*>(widget);
      QWidget* parent = widget->parentWidget();
      if (!control || qobject_cast<QAbstractSpinBox*>(parent) || qobject_cast<QComboBox*>(parent))
        continue;
      EXPECT_FALSE(widget->accessibleName().isEmpty())
          << widget->metaObject()->className() << " " << widget->objectName().toStdString();
    }
    // The tabs' mnemonics differ, and within a tab no mnemonic is used twice.
    std::set<QChar> tab_keys;
    for (int tab = 0; tab < dialog.tabs()->count(); ++tab) {
      const QString title = dialog.tabs()->tabText(tab);
      const qsizetype mark = title.indexOf(QLatin1Char('&'));
      ASSERT_GE(mark, 0) << title.toStdString();
      EXPECT_TRUE(tab_keys.insert(title.at(mark + 1).toLower()).second) << title.toStdString();
    }
    for (int tab = 0; tab < dialog.tabs()->count(); ++tab) {
      std::map<QChar, QString> seen;
      for (QObject* child : dialog.tabs()->widget(tab)->findChildren<QObject*>()) {
        const QVariant text = child->property("text");
        if (!child->isWidgetType() || !text.isValid()) continue;
        const QString label = text.toString();
        const qsizetype at = label.indexOf(QLatin1Char('&'));
        if (at < 0 || at + 1 >= label.size()) continue;
        const QChar key = label.at(at + 1).toLower();
        EXPECT_TRUE(seen.emplace(key, label).second)
            << "tab " << tab << ": " << label.toStdString() << " and " << seen[key].toStdString();
      }
    }
  }
  foundation::set_language(foundation::kLanguageGerman);
}

TEST(EnvironmentTable, AddChangeRemoveAndFull) {
  SettingsRecord record;
  EXPECT_EQ(EnvironmentEdit::added, set_environment_entry(record, "A", "1"));
  EXPECT_EQ(EnvironmentEdit::added, set_environment_entry(record, "B", "2"));
  EXPECT_EQ(EnvironmentEdit::changed, set_environment_entry(record, "A", "3"));
  EXPECT_EQ(2, record.environment_used);
  EXPECT_EQ("3", record.environment[0].value.view());
  for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
           {"", "x"}, {"A=B", "x"}, {std::string(32, 'n'), "x"}, {"C", std::string(232, 'v')}})
    EXPECT_EQ(EnvironmentEdit::invalid, set_environment_entry(record, name, value)) << name;
  EXPECT_TRUE(remove_environment_entry(record, 0));
  EXPECT_FALSE(remove_environment_entry(record, 1));
  EXPECT_EQ(1, record.environment_used);
  EXPECT_EQ("B", record.environment[0].name.view());
  for (int i = 1; i < kEnvironmentEntries; ++i)
    ASSERT_EQ(EnvironmentEdit::added, set_environment_entry(record, "V" + std::to_string(i), ""));
  EXPECT_EQ(EnvironmentEdit::full, set_environment_entry(record, "ONE_MORE", "x"));
  EXPECT_EQ(EnvironmentEdit::changed, set_environment_entry(record, "V5", "x"));
  EXPECT_EQ(kEnvironmentEntries, record.environ_count);
}

TEST_F(SettingsDialogTest, StartProgramDialogEditsTheEnvironmentAndSavesOnOk) {
  for (int i = 0; i < kEnvironmentEntries - 1; ++i)
    set_environment_entry(store->record(), "V" + std::to_string(i), "x");
  StartProgramDialog dialog(*store);
  EXPECT_EQ(kEnvironmentEntries - 1, dialog.environment_list()->count());
  dialog.program_edit()->setText("HW/p/other");
  dialog.name_edit()->setText("LAST");
  dialog.value_edit()->setText("one");
  dialog.set_button()->click();
  EXPECT_EQ(kEnvironmentEntries, dialog.environment_list()->count());
  {
    test::ScriptedBoxes boxes;
    dialog.name_edit()->setText("TOO_MANY");
    dialog.set_button()->click();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ(foundation::message_text(10050), test::flat(boxes.boxes[0].text));
  }
  dialog.environment_list()->setCurrentRow(0);
  EXPECT_EQ("V0", dialog.name_edit()->text());
  dialog.delete_button()->click();
  // Nothing reaches the store before OK.
  EXPECT_EQ(kEnvironmentEntries - 1, store->record().environment_used);
  dialog.accept();

  auto reread = fresh_store();
  reread->load_settings(true);
  EXPECT_EQ("HW/p/other", reread->record().start_program.view());
  ASSERT_EQ(kEnvironmentEntries - 1, reread->record().environment_used);
  EXPECT_NE(-1, find_environment_entry(reread->record(), "LAST"));
  EXPECT_EQ(-1, find_environment_entry(reread->record(), "V0"));
}

}  // namespace
}  // namespace kovw::shell
