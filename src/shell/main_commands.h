#pragma once
// The commands of the main window: the login dialog's menu and the tray menu share one table
// of command ids; each item's enabled state follows from a small state struct, and
// run_main_command carries out a command through the interface the main window implements.

#include <QString>
#include <span>
#include <vector>

class QWidget;

namespace kovw::shell {

class SettingsStore;
class ServerConnection;

// Command ids (the same in both menus).
inline constexpr int kCmdLogout = 40002;
inline constexpr int kCmdExit = 40003;
inline constexpr int kCmdStartProgram = 40006;
inline constexpr int kCmdHelp = 40007;
inline constexpr int kCmdAbout = 40008;
inline constexpr int kCmdSettings = 40011;
inline constexpr int kCmdRestore = 40018;
inline constexpr int kCmdHide = 40020;
inline constexpr int kCmdCronLogout = 40022;
inline constexpr int kCmdCronLogin = 40023;
inline constexpr int kCmdCronList = 40024;
inline constexpr int kCmdPreviousVersion = 40028;
inline constexpr int kCmdClearCache = 40032;
inline constexpr int kCmdInstalledPrinters = 40033;
inline constexpr int kCmdChangeList = 40036;
inline constexpr int kCmdClearPasswords = 40037;
inline constexpr int kCmdShowLog = 40063;
inline constexpr int kCmdStandardFolders = 40065;
inline constexpr int kCmdRecordMacro = 40071;
inline constexpr int kCmdPlayMacro = 40072;

// The logout parameter that skips the question and the login dialog (the window's own
// destruction logs out with it).
inline constexpr int kLogoutQuiet = 2;

// When an item is enabled.
enum class EnableRule {
  always,
  not_connected_no_override,  // settings, start program
  connected,                  // logout
  cron_host,                  // connected and the host kind is 1
  previous_version,           // always on this platform
  macro_idle,                 // not connected and no macro active
};

// Where an item appears.
inline constexpr int kInLoginMenu = 0x1;
inline constexpr int kInTrayMenu = 0x2;
// The login menu shows the item in the "Manage KOVDcron" submenu.
inline constexpr int kInCronSubmenu = 0x4;

struct MainCommand {
  int id;
  EnableRule rule;
  int menus;                       // kInLoginMenu | kInTrayMenu | kInCronSubmenu
  const char* shortcut = nullptr;  // the key of the login dialog's menu item (QKeySequence text)
};

// Every command in menu order.
std::span<const MainCommand> main_commands();
// The command of `id`; nullptr when unknown.
const MainCommand* find_main_command(int id);
// The text of the command in the menu (kMenuLoginDialog or kMenuTray) of the current
// language, with its "&" marks; "" when the command is not in that menu.
QString main_command_text(int menu, int id);
QString main_command_text(int menu, int id, bool in_german);
// The title of the cron submenu of the login dialog's menu.
QString cron_submenu_text(bool in_german);
QString cron_submenu_text();

// The facts the enabled states depend on.
struct MainMenuState {
  bool connected = false;
  bool override_active = false;  // a command-line override is active
  int host_kind = 0;             // login reply flags bits 0-2
  bool macro_active = false;
};

// The host kind whose host offers the cron commands.
inline constexpr int kHostKindCron = 1;
// The host kind of the login reply flags.
inline int host_kind_of_reply_flags(unsigned flags) {
  return static_cast<int>(flags & 7u);
}

bool main_command_enabled(const MainCommand& command, const MainMenuState& state);
bool main_command_enabled(int id, const MainMenuState& state);

struct MainCommandState {
  int id;
  bool enabled;
};
// Every command with its enabled state.
std::vector<MainCommandState> main_command_states(const MainMenuState& state);

// The enabled and visible states of the login dialog's controls.
struct LoginControlState {
  bool host = false;                   // 1000, with the search button and host list
  bool credentials = false;            // user, password, domain, slow-connection list, OK
  bool password_buttons = false;       // 104 change password, 1176 forgotten password
  bool password_buttons_shown = true;  // hidden with "No Password Change"
};
LoginControlState login_control_state(bool connected, bool host_given, bool no_password_change);

// What the main window provides to carry out its commands.
class MainCommandHost {
 public:
  virtual ~MainCommandHost() = default;
  // The parent of the dialogs and boxes.
  virtual QWidget* dialog_parent() = 0;
  virtual SettingsStore& settings_store() = 0;
  // The server connection; nullptr when none exists.
  virtual ServerConnection* server_connection() = 0;
  virtual MainMenuState menu_state() const = 0;
  // The number of running programs.
  virtual int running_programs() const = 0;
  // Posts the close request to the main window (asks when connected).
  virtual void request_close() = 0;
  // Ends the main window (after a logout with "Auto End"). The host is used once more
  // afterwards (the login dialog is activated), so the window goes later, not at once.
  virtual void end_workstation() = 0;
  virtual void show_login_dialog() = 0;
  // Closes the login dialog to the tray (only when the tray icon exists).
  virtual void hide_login_dialog() = 0;
  // Activates the login dialog when it exists.
  virtual void activate_login_dialog() = 0;
  // Refreshes the enabled states of both menus.
  virtual void refresh_menus() = 0;
  // Ends the cache use of the log file and cleans every cache directory.
  virtual void clean_caches() = 0;
};

// Carries out command `id` when it is enabled in host.menu_state(); `parameter` is
// kLogoutQuiet for a logout without a question. Returns false for an unknown id. After every
// command the menus are refreshed, the login dialog is activated and "Command %d fertig" is
// logged.
bool run_main_command(int id, MainCommandHost& host, int parameter = 0);

}  // namespace kovw::shell
