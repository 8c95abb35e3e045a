// The main window's commands: the enabled state of every item by connection, override,
// host kind and macro, the texts of both menus, and what the commands do through the host.
#include "shell/main_commands.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QThreadPool>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/log.h"
#include "foundation/message_table.h"
#include "shell/login_data.h"
#include "shell/main_window.h"
#include "shell/server_connection.h"
#include "shell/settings_store.h"
#include "shell/temp_xdg_home.h"
#include "shell_gui_fixture.h"

namespace kovw::shell {
namespace {

using foundation::kMenuLoginDialog;
using foundation::kMenuTray;
using test::flat;

TEST(MainCommands, EnabledStatesFollowConnectionOverrideHostKindAndMacro) {
  const MainMenuState offline{};
  const MainMenuState online{.connected = true, .host_kind = 0};
  const MainMenuState cron_host{.connected = true, .host_kind = kHostKindCron};
  const MainMenuState other_kind{.connected = true, .host_kind = 2};
  const MainMenuState overridden{.override_active = true};
  const MainMenuState recording{.macro_active = true};
  struct Case {
    int id;
    bool offline, online, cron_host, other_kind, overridden, recording;
  };
  const Case cases[] = {
      {kCmdLogout, false, true, true, true, false, false},
      {kCmdSettings, true, false, false, false, false, true},
      {kCmdStartProgram, true, false, false, false, false, true},
      {kCmdCronLogout, false, false, true, false, false, false},
      {kCmdCronLogin, false, false, true, false, false, false},
      {kCmdCronList, false, false, true, false, false, false},
      {kCmdRecordMacro, true, false, false, false, true, false},
      {kCmdPlayMacro, true, false, false, false, true, false},
      {kCmdPreviousVersion, true, true, true, true, true, true},
      {kCmdExit, true, true, true, true, true, true},
      {kCmdClearPasswords, true, true, true, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(c.offline, main_command_enabled(c.id, offline));
    EXPECT_EQ(c.online, main_command_enabled(c.id, online));
    EXPECT_EQ(c.cron_host, main_command_enabled(c.id, cron_host));
    EXPECT_EQ(c.other_kind, main_command_enabled(c.id, other_kind));
    EXPECT_EQ(c.overridden, main_command_enabled(c.id, overridden));
    EXPECT_EQ(c.recording, main_command_enabled(c.id, recording));
  }
  EXPECT_FALSE(main_command_enabled(12345, offline));
  EXPECT_EQ(kHostKindCron, host_kind_of_reply_flags(0x121));

  // The list of states names every command once, in table order.
  const auto states = main_command_states(cron_host);
  ASSERT_EQ(main_commands().size(), states.size());
  for (std::size_t i = 0; i < states.size(); ++i) {
    EXPECT_EQ(main_commands()[i].id, states[i].id);
    EXPECT_EQ(main_command_enabled(states[i].id, cron_host), states[i].enabled);
  }
}

TEST(MainCommands, EveryItemHasItsTextInBothLanguagesInTheMenusThatShowIt) {
  for (const MainCommand& command : main_commands()) {
    SCOPED_TRACE(command.id);
    for (const bool german : {true, false}) {
      EXPECT_EQ((command.menus & kInLoginMenu) != 0,
                !main_command_text(kMenuLoginDialog, command.id, german).isEmpty());
      EXPECT_EQ((command.menus & kInTrayMenu) != 0,
                !main_command_text(kMenuTray, command.id, german).isEmpty());
    }
  }
  EXPECT_EQ("Exit &KOVW", main_command_text(kMenuTray, kCmdExit, false));
  EXPECT_EQ("&Exit (F3)", main_command_text(kMenuLoginDialog, kCmdExit, false));
  EXPECT_EQ("&Logout from Host", main_command_text(kMenuTray, kCmdLogout, false));
  EXPECT_EQ("", main_command_text(kMenuLoginDialog, kCmdLogout, false));
  EXPECT_EQ("&Manage KOVDcron", cron_submenu_text(false));
  // The keys the menu texts name.
  EXPECT_STREQ("F3", find_main_command(kCmdExit)->shortcut);
  EXPECT_STREQ("Ctrl+F4", find_main_command(kCmdHelp)->shortcut);
  for (const int id : {kCmdCronLogout, kCmdCronLogin, kCmdCronList})
    EXPECT_NE(0, find_main_command(id)->menus & kInCronSubmenu);
}

TEST(MainCommands, LoginDialogControlsByConnectionHostOptionAndPasswordChangeSetting) {
  struct Case {
    bool connected, host_given, no_change;
    LoginControlState want;
  };
  const Case cases[] = {
      {false, false, false, {true, true, true, true}},
      {false, true, false, {false, true, true, true}},
      {true, false, false, {false, false, false, true}},
      {false, false, true, {true, true, true, false}},
  };
  for (const Case& c : cases) {
    const LoginControlState got = login_control_state(c.connected, c.host_given, c.no_change);
    EXPECT_EQ(c.want.host, got.host);
    EXPECT_EQ(c.want.credentials, got.credentials);
    EXPECT_EQ(c.want.password_buttons, got.password_buttons);
    EXPECT_EQ(c.want.password_buttons_shown, got.password_buttons_shown);
  }
}

// A main window as the commands see it: it records what it is asked to do.
class FakeHost : public MainCommandHost {
 public:
  explicit FakeHost(SettingsStore& store) : store_(store) {}
  QWidget* dialog_parent() override { return &parent; }
  SettingsStore& settings_store() override { return store_; }
  ServerConnection* server_connection() override { return connection; }
  MainMenuState menu_state() const override { return state; }
  int running_programs() const override { return programs; }
  void request_close() override { calls.push_back("close"); }
  void end_workstation() override { calls.push_back("end"); }
  void show_login_dialog() override { calls.push_back("show"); }
  void hide_login_dialog() override { calls.push_back("hide"); }
  void activate_login_dialog() override { ++activations; }
  void refresh_menus() override { calls.push_back("refresh"); }
  void clean_caches() override { calls.push_back("clean"); }

  QWidget parent;
  ServerConnection* connection = nullptr;
  MainMenuState state;
  int programs = 0;
  int activations = 0;
  std::vector<std::string> calls;

 private:
  SettingsStore& store_;
};

class MainCommandRun : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::set_language(foundation::kLanguageEnglish);
    log_dir = home.path().toStdString();
    ASSERT_GE(foundation::log_set_path((log_dir + "/kovw.log").c_str()), 0);
  }
  void TearDown() override {
    foundation::log_reset();
    foundation::set_language(foundation::kLanguageGerman);
  }
  std::string log_text() const {
    std::ifstream in(log_dir + "/kovw.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Closes the dialogs a command opened.
  static int close_dialogs() {
    int closed = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) {
        dialog->reject();
        ++closed;
      }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return closed;
  }

  QApplication& app = test::application();  // before the host's widget
  test::TempXdgHome home;
  std::string log_dir;
  SettingsStore store;
  FakeHost host{store};
};

TEST_F(MainCommandRun, SimpleCommandsReachTheHostAndEveryCommandEndsTheSameWay) {
  EXPECT_TRUE(run_main_command(kCmdExit, host));
  EXPECT_TRUE(run_main_command(kCmdRestore, host));
  EXPECT_TRUE(run_main_command(kCmdHide, host));
  EXPECT_EQ((std::vector<std::string>{"close", "refresh", "show", "refresh", "hide", "refresh"}),
            host.calls);
  EXPECT_EQ(3, host.activations);
  EXPECT_NE(std::string::npos, log_text().find("Command 40020 fertig"));

  EXPECT_FALSE(run_main_command(40099, host));
  EXPECT_EQ(3, host.activations);
}

TEST_F(MainCommandRun, DisabledCommandsDoNothing) {
  host.state.connected = true;
  EXPECT_TRUE(run_main_command(kCmdSettings, host));
  EXPECT_TRUE(run_main_command(kCmdStartProgram, host));
  EXPECT_EQ(0, close_dialogs());
  host.state.connected = false;
  EXPECT_TRUE(run_main_command(kCmdSettings, host));
  EXPECT_EQ(1, close_dialogs());
}

TEST_F(MainCommandRun, ClearPasswordsAndCacheOnlyAfterYes) {
  PasswordField secret{};
  secret[0] = 7;
  ASSERT_TRUE(save_user_password(store.registry(), "anna", "", "", secret));
  {
    test::ScriptedBoxes boxes(foundation::kAnswerNo);
    run_main_command(kCmdClearPasswords, host);
    run_main_command(kCmdClearCache, host);
    ASSERT_EQ(2u, boxes.boxes.size());
    EXPECT_EQ("Really deleting all passwords?", flat(boxes.boxes[0].text));
    EXPECT_EQ("Really deleting the cache?", flat(boxes.boxes[1].text));
  }
  EXPECT_TRUE(load_user_password(store.registry(), "anna", "", "").has_value());
  EXPECT_EQ((std::vector<std::string>{"refresh", "refresh"}), host.calls);
  host.calls.clear();
  {
    test::ScriptedBoxes boxes(foundation::kAnswerYes);
    run_main_command(kCmdClearPasswords, host);
    run_main_command(kCmdClearCache, host);
  }
  EXPECT_FALSE(load_user_password(store.registry(), "anna", "", "").has_value());
  EXPECT_EQ((std::vector<std::string>{"refresh", "clean", "refresh"}), host.calls);
}

TEST_F(MainCommandRun, LogoutAsksWhileProgramsRunAndFollowsAutoEnd) {
  auto* window = new MainWindow();
  SettingsRecord settings;
  // The connection belongs to the window.
  host.connection = new ServerConnection(window, settings);
  host.state.connected = true;
  host.programs = 2;
  {
    test::ScriptedBoxes boxes(foundation::kAnswerNo);
    run_main_command(kCmdLogout, host);
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Really logout? 2 program(s) still active.", flat(boxes.boxes[0].text));
  }
  EXPECT_TRUE(host.calls.empty());
  {
    test::ScriptedBoxes boxes(foundation::kAnswerYes);
    store.record().auto_end = 0;
    run_main_command(kCmdLogout, host);
    store.record().auto_end = 1;
    run_main_command(kCmdLogout, host);
    // The quiet logout asks nothing and leaves the window's end to its caller.
    run_main_command(kCmdLogout, host, kLogoutQuiet);
    EXPECT_EQ(2u, boxes.boxes.size());
  }
  EXPECT_EQ((std::vector<std::string>{"refresh", "show", "refresh", "end", "refresh"}), host.calls);
  EXPECT_NE(std::string::npos, log_text().find("do_logout aus IDM_LOGOUT"));
  host.connection = nullptr;
  delete window;
}

TEST_F(MainCommandRun, CronCommandThatCannotBeSentShowsMessage10038) {
  auto* window = new MainWindow();
  SettingsRecord settings;
  // The connection belongs to the window.
  host.connection = new ServerConnection(window, settings);
  host.state = {.connected = true, .host_kind = kHostKindCron};
  {
    test::ScriptedBoxes boxes;
    run_main_command(kCmdCronList, host);
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("KOVDcron", boxes.boxes[0].caption);
    EXPECT_EQ(0u, flat(boxes.boxes[0].text).rfind("Cannot transmit data to host", 0))
        << boxes.boxes[0].text;
  }
  host.connection = nullptr;
  delete window;
}

TEST_F(MainCommandRun, PreviousVersionAsksFirst) {
  test::ScriptedBoxes boxes;
  run_main_command(kCmdPreviousVersion, host);
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ("KOV Workstation", boxes.boxes[0].caption);
}

TEST_F(MainCommandRun, DialogCommandsOpenTheirDialogs) {
  for (const int id : {kCmdStartProgram, kCmdHelp, kCmdAbout, kCmdSettings, kCmdInstalledPrinters,
                       kCmdChangeList, kCmdStandardFolders, kCmdRecordMacro, kCmdPlayMacro}) {
    SCOPED_TRACE(id);
    run_main_command(id, host);
    EXPECT_EQ(1, close_dialogs());
  }
  // The printers are asked for on the thread pool; the application (which waits for the pool
  // when it ends) outlives the test program here, so the test waits for it itself.
  QThreadPool::globalInstance()->waitForDone();
  QCoreApplication::sendPostedEvents();
}

}  // namespace
}  // namespace kovw::shell
