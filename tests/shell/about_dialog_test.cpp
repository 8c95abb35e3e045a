// The about dialog's texts, its statistics with the counter reset and the trace switch; the
// change list's lines. Screenshots of the about and settings dialogs go to
// KOVW_SCREENSHOT_DIR when that is set.
#include "shell/about_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "foundation/message_table.h"
#include "net/link_state.h"
#include "net/link_stats.h"
#include "shell/change_list.h"
#include "shell/settings_dialog.h"
#include "shell/settings_store.h"
#include "shell/standard_folders.h"
#include "shell/temp_xdg_home.h"
#include "shell/version.h"
#include "shell_gui_fixture.h"

namespace kovw::shell {
namespace {

void save_screenshot(QWidget& widget, const char* name) {
  const QByteArray dir = qgetenv("KOVW_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  widget.adjustSize();
  EXPECT_TRUE(widget.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(name)));
}

TEST(AboutDialog, VersionStatisticsResetAndTrace) {
  test::application();
  foundation::set_language(foundation::kLanguageEnglish);
  EXPECT_EQ("Version 7.3 / 5", about_version_line(0x070305));
  EXPECT_EQ("Version 12.0 / 17", about_version_line(0x0C0011));

  net::link_stats_reset();
  net::LinkStatistics& stats = net::link_stats();
  net::link_stats_add(stats.bytes_sent, 1234);
  net::link_stats_add(stats.compressed_bytes, 200);
  net::link_stats_add(stats.uncompressed_bytes, 500);
  const bool trace_before = net::link_trace_enabled();
  net::set_link_trace(false);

  AboutDialog dialog(nullptr);
  EXPECT_EQ(about_version_line(version_word(version_of(version_text()))),
            dialog.version_label()->text());
  const QString statistics = dialog.statistics_label()->text();
  EXPECT_TRUE(statistics.contains("Sent: 1234 bytes")) << statistics.toStdString();
  EXPECT_TRUE(statistics.contains("Compression rate: 250 %")) << statistics.toStdString();
  // The file transfers so far.
  EXPECT_TRUE(statistics.contains("Files from host: ")) << statistics.toStdString();
  EXPECT_TRUE(statistics.contains("Files to host: ")) << statistics.toStdString();
  EXPECT_EQ("&Reset Counter", dialog.reset_button()->text());
  EXPECT_EQ("&Write transmission protocoll to kovw.log", dialog.trace_box()->text());
  save_screenshot(dialog, "about_dialog.png");

  dialog.reset_button()->click();
  EXPECT_EQ(0u, stats.bytes_sent.load());
  EXPECT_TRUE(dialog.statistics_label()->text().contains("Compression rate: 0 %"));
  dialog.trace_box()->click();
  EXPECT_TRUE(net::link_trace_enabled());
  dialog.trace_box()->click();
  EXPECT_FALSE(net::link_trace_enabled());

  net::set_link_trace(trace_before);
  foundation::set_language(foundation::kLanguageGerman);
}

TEST(AboutDialog, GermanTexts) {
  test::application();
  foundation::set_language(foundation::kLanguageGerman);
  AboutDialog dialog(nullptr);
  EXPECT_EQ("Zähler &rücksetzen", dialog.reset_button()->text());
  EXPECT_EQ("&Übertragungsprotokoll nach kovw.log", dialog.trace_box()->text());
}

TEST(SettingsDialogPicture, Screenshot) {
  test::application();
  test::TempXdgHome home;
  SettingsStore store;
  store.load_settings(true);
  SettingsDialog dialog(store);
  save_screenshot(dialog, "settings_dialog.png");
  dialog.tabs()->setCurrentIndex(2);
  save_screenshot(dialog, "settings_dialog_display.png");
}

TEST(ChangeList, LinesArePaddedVersionsTabDateAndText) {
  const ChangeEntry entry{0x070305, "2026-12-10", "deutsch", "english"};
  EXPECT_EQ("7.3/5        \t2026-12-10 english", change_line(entry, false));
  EXPECT_EQ("7.3/5        \t2026-12-10 deutsch", change_line(entry, true));
  ASSERT_FALSE(change_entries().empty());
  // The newest entry is the running version.
  EXPECT_EQ(version_word(version_of(version_text())), change_entries().front().version);
}

TEST(StandardFolders, OneLinePerFolderWithItsPlace) {
  test::TempXdgHome home;
  const QStringList lines = standard_folders_text().split('\n');
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.front().startsWith("DESKTOP") || lines.front().contains("(0x"))
      << lines.front().toStdString();
  EXPECT_TRUE(standard_folders_text().contains(home.path()))
      << standard_folders_text().toStdString();
}

}  // namespace
}  // namespace kovw::shell
