#include "shell/main_commands.h"
#include "shell/update_offer.h"

#include <QPointer>
#include <algorithm>

#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/show_message.h"
#include "protocol/server_messages.h"
#include "shell/about_dialog.h"
#include "shell/change_list.h"
#include "shell/log_viewer.h"
#include "shell/login_data.h"
#include "shell/macro_dialog.h"
#include "shell/printers_dialog.h"
#include "shell/server_connection.h"
#include "shell/settings_dialog.h"
#include "shell/settings_store.h"
#include "shell/standard_folders.h"
#include "shell/start_program_dialog.h"
#include "shell/startup.h"
#include "shell/text_dialog.h"
#include "shell/ui_text.h"
#include "shell/usage_text.h"

namespace kovw::shell {

namespace {

constexpr int kLoginAndTray = kInLoginMenu | kInTrayMenu;

// Menu order: the login dialog's menu, with the tray-only items where the tray shows them.
constexpr MainCommand kCommands[] = {
    {kCmdRestore, EnableRule::always, kInTrayMenu},
    {kCmdHide, EnableRule::always, kInTrayMenu},
    {kCmdStartProgram, EnableRule::not_connected_no_override, kInLoginMenu},
    {kCmdSettings, EnableRule::not_connected_no_override, kInLoginMenu},
    {kCmdCronLogout, EnableRule::cron_host, kInLoginMenu | kInCronSubmenu},
    {kCmdCronLogin, EnableRule::cron_host, kInLoginMenu | kInCronSubmenu},
    {kCmdCronList, EnableRule::cron_host, kInLoginMenu | kInCronSubmenu},
    {kCmdRecordMacro, EnableRule::macro_idle, kInLoginMenu},
    {kCmdPlayMacro, EnableRule::macro_idle, kInLoginMenu},
    {kCmdClearCache, EnableRule::always, kLoginAndTray},
    {kCmdClearPasswords, EnableRule::always, kLoginAndTray},
    {kCmdInstalledPrinters, EnableRule::always, kLoginAndTray},
    {kCmdShowLog, EnableRule::always, kLoginAndTray},
    {kCmdStandardFolders, EnableRule::always, kInLoginMenu},
    {kCmdPreviousVersion, EnableRule::previous_version, kInLoginMenu},
    {kCmdChangeList, EnableRule::always, kInLoginMenu},
    {kCmdHelp, EnableRule::always, kInLoginMenu, "Ctrl+F4"},
    {kCmdAbout, EnableRule::always, kLoginAndTray},
    {kCmdLogout, EnableRule::connected, kInTrayMenu},
    {kCmdExit, EnableRule::always, kLoginAndTray, "F3"},
};

int menu_bit(int menu) {
  return menu == foundation::kMenuTray ? kInTrayMenu
                                       : (menu == foundation::kMenuLoginDialog ? kInLoginMenu : 0);
}

bool ask_yes(MainCommandHost& host, const char* caption, const char* text) {
  return foundation::show_message(host.dialog_parent(), foundation::kMsgYesNo, 0, caption, "%s",
                                  text) == foundation::kAnswerYes;
}

void run_logout(MainCommandHost& host, int parameter) {
  ServerConnection* connection = host.server_connection();
  if (connection == nullptr || !host.menu_state().connected) return;
  const int programs = host.running_programs();
  if (programs > 0 && parameter != kLogoutQuiet) {
    if (foundation::show_message_number(host.dialog_parent(), foundation::kMsgYesNo, 0, "Logout",
                                        10021, programs) != foundation::kAnswerYes)
      return;
  }
  foundation::log_printf("%s (%s:%d)", "do_logout aus IDM_LOGOUT", __FILE__, __LINE__);
  connection->do_logout(parameter != kLogoutQuiet);
  host.refresh_menus();
  // The quiet logout comes from the main window's own end: nothing is left to end or show.
  if (parameter == kLogoutQuiet) return;
  if (host.settings_store().record().auto_end)
    host.end_workstation();
  else
    host.show_login_dialog();
}

void run_cron(MainCommandHost& host, protocol::CronAction action) {
  ServerConnection* connection = host.server_connection();
  if (connection == nullptr) return;
  const SettingsRecord& record = host.settings_store().record();
  protocol::CronCommand command;
  command.action = action;
  command.user = record.user.str();
  command.password = decipher_password(record.password);
  command.domain = record.domain.str();
  const int result =
      connection->send(protocol::build_cron_command(command, connection->daemon_version()));
  if (result < 0)
    foundation::show_message_number(host.dialog_parent(), 0, 0, "KOVDcron", 10038,
                                    connection->display_text().c_str(), -result,
                                    connection->send_error());
}

void run_command(int id, MainCommandHost& host, int parameter) {
  QWidget* parent = host.dialog_parent();
  switch (id) {
    case kCmdLogout:
      run_logout(host, parameter);
      break;
    case kCmdExit:
      host.request_close();
      break;
    case kCmdStartProgram:
      show_start_program_dialog(parent, host.settings_store());
      break;
    case kCmdHelp:
      show_text_dialog(parent, ui_text("Kurzhilfe", "Short help"),
                       QString::fromLocal8Bit(usage_text().c_str()));
      break;
    case kCmdAbout:
      show_about_dialog(parent, host.server_connection());
      break;
    case kCmdSettings:
      show_settings_dialog(parent, host.settings_store());
      break;
    case kCmdRestore:
      host.show_login_dialog();
      break;
    case kCmdHide:
      host.hide_login_dialog();
      break;
    case kCmdCronLogout:
      run_cron(host, protocol::CronAction::logout);
      break;
    case kCmdCronLogin:
      run_cron(host, protocol::CronAction::login);
      break;
    case kCmdCronList:
      run_cron(host, protocol::CronAction::list);
      break;
    case kCmdClearCache:
      if (ask_yes(host, "KOVW", foundation::message_text(40447))) host.clean_caches();
      break;
    case kCmdClearPasswords:
      if (ask_yes(host, "KOVW", foundation::message_text(40506)))
        clear_user_passwords(host.settings_store().registry());
      break;
    case kCmdInstalledPrinters:
      show_installed_printers(parent);
      break;
    case kCmdChangeList:
      show_text_dialog(parent, message_qtext(40303), change_list_text(foundation::german()));
      break;
    case kCmdShowLog:
      show_log_viewer(parent);
      break;
    case kCmdStandardFolders:
      show_text_dialog(parent, standard_folders_title(), standard_folders_text());
      break;
    case kCmdPreviousVersion:
      if (restore_previous_version(parent)) host.end_workstation();
      break;
    case kCmdRecordMacro:
    case kCmdPlayMacro:
      open_macro_dialog(parent, id == kCmdPlayMacro,
                        [parent = QPointer<QWidget>(parent),
                         play = id == kCmdPlayMacro](const MacroChoice& choice) {
                          start_macro(parent, choice, play, shell_state().directories.data);
                        });
      break;
    default:
      break;
  }
}

}  // namespace

std::span<const MainCommand> main_commands() {
  return kCommands;
}

const MainCommand* find_main_command(int id) {
  const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                               [id](const MainCommand& command) { return command.id == id; });
  return it == std::end(kCommands) ? nullptr : &*it;
}

QString main_command_text(int menu, int id, bool in_german) {
  const MainCommand* command = find_main_command(id);
  if (command == nullptr || (command->menus & menu_bit(menu)) == 0) return {};
  return QString::fromUtf8(foundation::menu_text(menu, id, in_german));
}

QString main_command_text(int menu, int id) {
  return main_command_text(menu, id, foundation::german());
}

QString cron_submenu_text(bool in_german) {
  return in_german ? QStringLiteral("KOVDcron &verwalten") : QStringLiteral("&Manage KOVDcron");
}

QString cron_submenu_text() {
  return cron_submenu_text(foundation::german());
}

bool main_command_enabled(const MainCommand& command, const MainMenuState& state) {
  switch (command.rule) {
    case EnableRule::always:
    case EnableRule::previous_version:
      return true;
    case EnableRule::not_connected_no_override:
      return !state.connected && !state.override_active;
    case EnableRule::connected:
      return state.connected;
    case EnableRule::cron_host:
      return state.connected && state.host_kind == kHostKindCron;
    case EnableRule::macro_idle:
      return !state.connected && !state.macro_active;
  }
  return false;
}

bool main_command_enabled(int id, const MainMenuState& state) {
  const MainCommand* command = find_main_command(id);
  return command != nullptr && main_command_enabled(*command, state);
}

std::vector<MainCommandState> main_command_states(const MainMenuState& state) {
  std::vector<MainCommandState> states;
  states.reserve(std::size(kCommands));
  for (const MainCommand& command : kCommands)
    states.push_back({command.id, main_command_enabled(command, state)});
  return states;
}

LoginControlState login_control_state(bool connected, bool host_given, bool no_password_change) {
  LoginControlState state;
  state.host = !connected && !host_given;
  state.credentials = !connected;
  state.password_buttons = !connected;
  state.password_buttons_shown = !no_password_change;
  return state;
}

bool run_main_command(int id, MainCommandHost& host, int parameter) {
  const MainCommand* command = find_main_command(id);
  if (command == nullptr) return false;
  // A disabled command (a shortcut or a stale menu) does nothing.
  if (main_command_enabled(*command, host.menu_state())) {
    run_command(id, host, parameter);
    // A command may change what the menus offer (a logout refreshes them itself, before
    // the window may end).
    if (id != kCmdLogout) host.refresh_menus();
  }
  host.activate_login_dialog();
  foundation::log_printf("Command %d fertig", id);
  return true;
}

}  // namespace kovw::shell
