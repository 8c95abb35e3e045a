#pragma once
// How the server connection reaches the program sessions. The sessions live in the layer above
// the shell, so the shell declares these hooks and the process entry installs them before the
// shell starts. An empty hook means there are no program sessions to tell.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kovw::shell {

// What program sessions need to know about a login that succeeded.
struct LoginFacts {
  std::string host_name;  // the connection's display text
  // Internet mode: the keep-alive interval in seconds (the -a value, else "Ping Timer" when
  // the negotiated options word has bit 0x10000); 0 when not in internet mode.
  int keep_alive_seconds = 0;
  std::uint32_t options_word = 0;   // negotiated at login
  bool encryption_allowed = false;  // "Crypted Connection enabled"
  int start_delay_seconds = 0;      // -ow
  bool beeps_on = true;             // bit 0x10 of "Error Level" clear
  std::string text_font_name;       // the derived text font and its height (tenths of a point)
  int text_font_tenths = 0;
  std::string prop_font_name;  // the derived proportional font and its height
  int prop_font_tenths = 0;
  int caret_width = 0;            // "Cursor Width"
  int keyboard_layout = 0;        // "Keyboard"
  int slow_connect_level = 0;     // the effective slow-connection level
  int font_factor = 0;            // "Font Faktor"
  int no_save_page = 0;           // "No Save Page"
  int daemon_version = 0;         // the server daemon's version (0 in workflow mode)
  bool host_keeps_slash = false;  // the host keeps "/" in the paths of the path selection
};

struct ServerSessionHooks {
  // After a login, before the start message is sent.
  std::function<void(const LoginFacts&)> logged_in;
  // WML_STOP to every program whose host process id is `run_id` (every program for 0).
  // Returns the number of programs told.
  std::function<int(int run_id)> stop_programs;
  // The daemon's urgent message to the first program. Returns the number of programs told
  // (0 when none runs: the shell shows the message itself).
  std::function<int(const std::string& caption, const std::string& text)> show_urgent_message;
  // The titles of the running programs (wide texts), newest first.
  std::function<std::vector<std::u16string>()> program_titles;
};

// Installs the hooks (before the workstation runs; they are read on the GUI thread).
void set_server_session_hooks(ServerSessionHooks hooks);
const ServerSessionHooks& server_session_hooks();

// The keep-alive interval of the program links: internet mode is on when the -a value is not 0
// or the options word has bit 0x10000; the interval is the -a value, or "Ping Timer" when the
// -a value is 0. 0 when not in internet mode.
int keep_alive_seconds(int a_value, int ping_timer, std::uint32_t options_word);

}  // namespace kovw::shell
