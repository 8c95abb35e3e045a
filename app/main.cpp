// The process entry of the workstation: connects the program sessions to the shell, which
// cannot name the layer above it, and runs the workstation.
#include "foundation/host_text.h"
#include "foundation/log.h"
#include "print/job_output.h"
#include "print/print_port.h"
#include "session/program/program_list.h"
#include "session/program/session_host.h"
#include "session/program/shell_bridge.h"
#include "session/view/onscreen_keyboard.h"
#include "shell/fetch_service.h"
#include "shell/main_window.h"
#include "shell/program_link_handoff.h"
#include "shell/server_connection.h"
#include "shell/server_session_hooks.h"
#include "shell/settings_store.h"
#include "shell/startup.h"
#include "shell/table_file.h"

int main(int argc, char** argv) {
  using namespace kovw;
  shell::set_program_link_handler(
      [](shell::NewLink link) { session::open_program_link(std::move(link)); });
  {
    // The colour chooser of the programs keeps its custom colours with the settings.
    session::SessionHost host = *session::session_host();
    host.load_custom_colours = [] { return shell::settings_store().load_custom_colors(); };
    host.save_custom_colours = [](const platform::CustomColours& colours) {
      shell::settings_store().save_custom_colors(colours);
    };
    // The path selection's last folder is kept with them too.
    host.load_choose_directory = [] { return shell::settings_store().choose_directory(); };
    host.save_choose_directory = [](const std::string& folder) {
      shell::settings_store().save_choose_directory(folder);
    };
    session::set_session_host(std::move(host));
  }
  shell::ServerSessionHooks hooks;
  hooks.logged_in = [](const shell::LoginFacts& facts) {
    session::SessionHost host = *session::session_host();
    host.server_host_name = facts.host_name;
    host.keep_alive_seconds = facts.keep_alive_seconds;
    host.options_word = facts.options_word;
    host.encryption_allowed = facts.encryption_allowed;
    host.start_delay_seconds = facts.start_delay_seconds;
    host.beeps_on = facts.beeps_on;
    host.slow_connect_level = facts.slow_connect_level;
    if (!facts.text_font_name.empty()) host.text_font_name = facts.text_font_name;
    if (facts.text_font_tenths > 0) host.text_font_tenths = facts.text_font_tenths;
    if (!facts.prop_font_name.empty()) host.prop_font_name = facts.prop_font_name;
    if (facts.prop_font_tenths > 0) host.prop_font_tenths = facts.prop_font_tenths;
    host.caret_width = facts.caret_width;
    host.keyboard_layout = facts.keyboard_layout;
    host.smart_edit = shell::settings().smart_edit;
    host.tab_blanks = shell::settings().tab_blanks;
    host.font_factor = facts.font_factor;
    host.no_save_page = facts.no_save_page;
    host.daemon_version = facts.daemon_version;
    host.host_keeps_slash = facts.host_keeps_slash;
    host.open_print_job = [](const std::string& printer, const std::string& document,
                             bool interactive) {
      return print::open_graphics_print_job(printer, document, interactive);
    };
    host.poster_print = shell::settings().poster_print != 0;
    host.store_page_definition =
        [data = shell::shell_state().directories.data](std::span<const std::uint8_t> page) {
          std::string error;
          const int result = shell::store_page_definition(data + "/drtab.ini", page, error);
          if (!error.empty()) foundation::log_printf("drtab.ini: %s", error.c_str());
          return result;
        };
    host.double_click = shell::settings().double_click != 0;
    host.fetch_host_file = [data = shell::shell_state().directories.data](
                               const std::string& name, const std::string& extension,
                               std::string& error) {
      return shell::fetch_cached(data, name, extension, 0, {}, error);
    };
    session::set_session_host(std::move(host));
  };
  hooks.stop_programs = [](int run_id) { return session::post_stop_programs(run_id); };
  hooks.show_urgent_message = [](const std::string& caption, const std::string& text) {
    return session::post_show_message(caption, text);
  };
  hooks.program_titles = [] {
    std::vector<std::u16string> titles;
    for (const session::ProgramInfo& info : session::program_list_snapshot()) {
      titles.push_back(foundation::host_to_wide(info.title));
    }
    return titles;
  };
  shell::set_server_session_hooks(std::move(hooks));
  shell::set_main_window_hook([](shell::MainWindow& window) {
    // Print jobs: print events, the print port (with -ok) and their end with the workstation.
    print::install_print_service(&window, shell::shell_state().options.open_ports);
    session::send_notices_through_server_connection();
    // The on-screen keyboards ("Virtual Keyboard", option -y) live as long as the main window.
    session::open_onscreen_keyboards(&window, shell::settings().virtual_keyboard,
                                     shell::settings().keyboard);
    // The end of the last program ends the login, and with "Auto End" the workstation.
    session::connect_program_ends(&window, [](int remaining, std::uint32_t exit_flags) {
      if (!session::program_end_ends_login(remaining, exit_flags)) return;
      shell::ServerConnection* connection = shell::ServerConnection::instance();
      if (!connection) return;
      foundation::log_printf("do_logout aus WML_ENDE");
      connection->do_logout(false);
      connection->end_if_auto_end();
    });
  });
  return shell::run_workstation(argc, argv);
}
