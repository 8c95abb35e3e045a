#pragma once
// The decisions and texts of the main window, the tray icon and the login dialog, kept apart
// from the widgets so that they can be checked without a screen.

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "shell/host_search.h"

namespace kovw::shell {

// What the main window does about the login when it is created.
enum class FirstLogin {
  AlreadyConnected,  // a second creation: message 10015, then the login dialog
  AskEachTime,       // -b with "*": ask the password, log in, again until it succeeds
  AutoLogin,         // "Auto Login" with a password present
  ShowDialog,        // the login dialog
  BrowserLogin,      // browser mode with complete browser login data
};

struct FirstLoginFacts {
  bool connected = false;
  bool ask_each_time = false;
  bool auto_login = false;
  bool password_present = false;  // "Save Passwd" bit 0 or 2
  bool browser_mode = false;
  bool always_dialog = false;  // -lx
  bool browser_data_complete = false;
};

FirstLogin decide_first_login(const FirstLoginFacts& facts);

// The question before the workstation closes: none when not connected, else message 10002
// with the display text when no program runs, else 10017 with the number of programs.
struct CloseQuestion {
  int number = 0;
  std::string text;
};
std::optional<CloseQuestion> close_question(bool connected, int programs,
                                            const std::string& display_text);

// The tray tip while programs run: "KOVW <display>:<program title>", at most 127 characters.
std::u16string tray_tip_text(const std::u16string& display_text,
                             const std::u16string& program_title);
inline constexpr std::size_t kTrayTipMax = 127;

// The login dialog's status line: the connection time "%d:%.2d:%.2d" when connected, else the
// date and time "DD.MM.YYYY HH:MM:SS" (local time), then a blank and the state text.
std::string status_line_text(bool connected, std::time_t login_time, std::time_t now,
                             const std::string& state_text);

// The lines of the login dialog's host list: one per host ("name [load] (address)", the load
// only with load balancing), or the one line that says why there are none.
std::vector<std::string> host_list_lines(const HostList& hosts, bool search_disabled,
                                         bool load_balancing);
// The host a line names: its first word; nothing for the lines in brackets.
std::optional<std::string> host_of_line(const std::string& line);

// The fields of a login attempt, compared by Cancel after a failed login.
struct LoginFields {
  std::string host, user, password, domain;
  int slow_connect = 0;
  bool operator==(const LoginFields&) const = default;
};

}  // namespace kovw::shell
