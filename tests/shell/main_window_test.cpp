// The main window in the test process: the close question with the number of programs, the
// programs' grace before the window ends (timed, not waited for), the menus from the command
// table, and the cache cleaning of "Clear Cache".
#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "fake_daemon.h"
#include "foundation/message_table.h"
#include "foundation/show_message.h"
#include "net/link_names.h"
#include "shell/cache_clean.h"
#include "shell/connection_state.h"
#include "shell/login_data.h"
#include "shell/login_dialog.h"
#include "shell/password_dialogs.h"
#include "shell/password_field.h"
#include "shell/server_connection.h"
#include "shell/server_session_hooks.h"
#include "shell/settings_store.h"
#include "shell/startup.h"
#include "shell/temp_xdg_home.h"
#include "shell_gui_fixture.h"

namespace kovw::shell {
namespace {

using test::application;
using test::spin_until;

// Each test keeps the settings store below a temporary home.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    reset_settings_store(std::make_unique<SettingsStore>());
  }
  void TearDown() override { reset_settings_store(); }
  test::TempXdgHome home_;
};

TEST_F(MainWindowTest, CloseAsksWithTheProgramCountAndEndsAfterTheProgramsGrace) {
  foundation::set_language(foundation::kLanguageEnglish);
  test::FakeDaemon daemon(test::DaemonConfig{});
  SettingsRecord& settings = mutable_settings();
  settings = SettingsRecord{};
  settings.host.assign("127.0.0.1");
  settings.user.assign("anna");
  ASSERT_TRUE(encipher_password("secret", settings.password));
  settings.save_passwd = 0x6;
  settings.kovd_port = daemon.port() - 1;
  settings.start_program.assign(" ");
  shell_state().ports = derive_port_plan(settings);
  shell_state().options = StartOptions{};

  const ServerSessionHooks saved = server_session_hooks();
  int stops = 0;
  ServerSessionHooks hooks;
  hooks.program_titles = [] { return std::vector<std::u16string>{u"Orders", u"Stock"}; };
  hooks.stop_programs = [&stops](int) {
    ++stops;
    return 2;
  };
  set_server_session_hooks(hooks);

  QPointer<MainWindow> window = new MainWindow();
  auto* connection = new ServerConnection(window, settings);
  ASSERT_EQ(connection->do_login(kLoginNormal), 0);
  ASSERT_TRUE(spin_until([&] { return connection->state() == kStateConnected; }));

  test::ScriptedBoxes presenter(foundation::kAnswerNo);

  window->close();
  QCoreApplication::processEvents();
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(test::flat(presenter.boxes[0].text), "Really leave KOVW? 2 program(s) still active.");
  EXPECT_TRUE(window);
  EXPECT_EQ(stops, 0);
  EXPECT_EQ(connection->state(), kStateConnected);

  presenter.answer = foundation::kAnswerYes;
  QElapsedTimer grace;
  grace.start();
  window->close();
  EXPECT_EQ(stops, 1);
  EXPECT_TRUE(window);  // the programs get their second first
  EXPECT_TRUE(spin_until([&] { return window.isNull(); }, 5000));
  EXPECT_GE(grace.elapsed(), 900);
  EXPECT_TRUE(daemon.wait_for(net::KWK_KLOGOUT));

  set_server_session_hooks(saved);
}

TEST_F(MainWindowTest, LoginDialogMenuFollowsTheCommandTable) {
  foundation::set_language(foundation::kLanguageEnglish);
  SettingsRecord& settings = mutable_settings();
  settings = SettingsRecord{};
  shell_state().options = StartOptions{};
  shell_state().login_template = 213;
  auto* window = new MainWindow();
  new ServerConnection(window, settings);
  window->show_login_dialog();
  auto* bar = window->login_dialog()->findChild<QMenuBar*>("loginMenu");
  ASSERT_NE(bar, nullptr);
  std::map<int, QAction*> actions;
  for (QMenu* menu : bar->findChildren<QMenu*>()) {
    for (QAction* action : menu->actions()) {
      if (action->data().isValid()) actions[action->data().toInt()] = action;
    }
  }
  ASSERT_TRUE(actions.count(kCmdSettings));
  EXPECT_EQ(actions.count(kCmdLogout), 0u);  // only in the tray menu
  EXPECT_EQ(actions[kCmdExit]->text(), "&Exit (F3)");
  EXPECT_TRUE(actions[kCmdSettings]->isEnabled());    // not connected, no override
  EXPECT_FALSE(actions[kCmdCronLogin]->isEnabled());  // not connected
  delete window;
}

// -b with "*": the password is asked before the attempt (no stored one yet), stored for the
// user, and used for the login.
TEST_F(MainWindowTest, PasswordAskedForEachAttemptIsStoredAndUsed) {
  foundation::set_language(foundation::kLanguageEnglish);
  test::FakeDaemon daemon(test::DaemonConfig{});
  SettingsRecord& settings = mutable_settings();
  settings.host.assign("127.0.0.1");
  settings.user.assign("anna");
  settings.kovd_port = daemon.port() - 1;
  settings.start_program.assign(" ");
  shell_state().ports = derive_port_plan(settings);
  shell_state().options = StartOptions{};
  shell_state().options.overrides.mask = kOverrideAskPassword;

  auto* window = new MainWindow();
  auto* connection = new ServerConnection(window, settings);
  connection->first_login();
  NewPasswordDialog* ask = nullptr;
  ASSERT_TRUE(spin_until([&] {
    ask = window->findChild<NewPasswordDialog*>();
    return ask != nullptr && ask->isVisible();
  }));
  QTest::keyClicks(ask->password_field(), "secret");
  ask->accept();
  ASSERT_TRUE(spin_until([&] { return connection->state() == kStateConnected; }));
  EXPECT_EQ(daemon.login_seen().password, "secret");
  const auto stored =
      load_user_password(shell::settings_store().registry(), "anna", "127.0.0.1", "");
  ASSERT_TRUE(stored);
  EXPECT_EQ(decipher_password(*stored), "secret");
  EXPECT_EQ(window->login_dialog(), nullptr);  // no login dialog on the way
  delete window;
  shell_state().options = StartOptions{};
}

TEST(CacheClean, RemovesAndMakesAgainTheFlaggedDirectoriesAndAlwaysTheOldOnes) {
  QTemporaryDir dir;
  namespace fs = std::filesystem;
  const fs::path data = dir.path().toStdString();
  for (const char* file : {"cache/group/a.txt", "cache/kovw/old.txt", "help/h.txt", "dfa/d.txt"}) {
    fs::create_directories((data / file).parent_path());
    std::ofstream(data / file) << "x";
  }
  EXPECT_EQ(cache_clean(data.string(), kCacheHelp), 0);
  EXPECT_TRUE(fs::exists(data / "cache/group/a.txt"));
  EXPECT_FALSE(fs::exists(data / "cache/kovw"));
  EXPECT_TRUE(fs::is_directory(data / "help"));
  EXPECT_TRUE(fs::is_empty(data / "help"));
  EXPECT_TRUE(fs::exists(data / "dfa/d.txt"));
  EXPECT_EQ(cache_clean(data.string(), kCacheAll), 0);
  for (const char* name : {"cache", "help", "dfa"}) {
    EXPECT_TRUE(fs::is_directory(data / name) && fs::is_empty(data / name)) << name;
  }
}

}  // namespace
}  // namespace kovw::shell
