#pragma once
// What program sessions need from the shell, handed over once by the shell before the first
// program starts (and again when a login changes it). Program threads read a snapshot; the
// shell never has to know their internals.
//
// The shell also binds its main window to shell_channel(): every program thread that ends posts
// a ProgramEndedEvent (WML_ENDE) there: the programs still running and the thread's exit flags.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/colour_chooser.h"
#include "session/event_channel.h"

namespace kovw::session {

class PrintOutput;

struct SessionHost {
  // Sends one service-0 message of `type` on the server daemon link (KINFO, KEND); returns a
  // negative value on failure. Empty while there is no server link. Called on program threads.
  std::function<int(int type, std::span<const std::uint8_t> payload)> send_to_server;
  // The server's host name as messages name it ("Kann keine Daten zum Host %s senden").
  std::string server_host_name;
  // Internet mode: keep-alive interval in seconds (the -a value, else "Ping Timer" when the
  // options word negotiated at login has bit 0x10000); 0 when not in internet mode.
  int keep_alive_seconds = 0;
  // The options word negotiated at login and whether "Crypted Connection enabled" is set.
  std::uint32_t options_word = 0;
  bool encryption_allowed = false;
  // Beeps and the warning sound of host message boxes are on (bit 0x10 of "Error Level" clear).
  bool beeps_on = true;
  // The text screens' font ("Font Name" and "Font Size" with "Font Faktor", else Courier New),
  // its height in tenths of a point, and the caret width in pixels ("Cursor Width").
  std::string text_font_name = "Courier New";
  int text_font_tenths = 160;
  int caret_width = 2;
  // The proportional font ("Prop Font" and "Prop Size" with "Font Faktor", else Arial) and its
  // height in tenths of a point: the font of text screens outside field layout.
  std::string prop_font_name = "Arial";
  int prop_font_tenths = 120;
  // "No Save Page": graphics windows keep no page history; the frame's page keys are disabled.
  int no_save_page = 0;
  // The keyboard layout of the key translation ("Keyboard": 0, 1 or 2).
  int keyboard_layout = 0;
  // "Smart Edit": which input fields start so that the first character typed replaces them
  // (bit 0x2 all but text fields, bit 0x4 text fields).
  int smart_edit = 6;
  // "TAB Blanks": the tab step of edit areas in programmer's editing.
  int tab_blanks = 2;
  // "Font Faktor": 0 means 100 percent, 1 automatic (from the display's resolution), any other
  // value the font scale in percent.
  int font_factor = 0;
  // Debug start delay of every program thread in seconds (-ow).
  int start_delay_seconds = 0;
  // The effective slow-connection level of the login: 0 off, 1 pictures off, 2 and above
  // large pictures off. Program titles name it.
  int slow_connect_level = 0;
  // The colour chooser's custom colours, kept with the settings. Called on program threads;
  // without them the chooser starts from no custom colours and keeps none.
  std::function<platform::CustomColours()> load_custom_colours;
  std::function<void(const platform::CustomColours&)> save_custom_colours;
  // Opens the printer of a graphics print job ("standard", "dialog", "PDF" or a printer's
  // name) for a document; called on program threads. Without it print jobs fail as without a
  // printer device.
  std::function<std::unique_ptr<PrintOutput>(const std::string& printer,
                                             const std::string& document, bool interactive)>
      open_print_job;
  // Fetches a host file into the local cache (pictures of graphics windows); called on program
  // threads, which wait for it. Its local path, or empty with `error` set.
  std::function<std::string(const std::string& host_name, const std::string& extension,
                            std::string& error)>
      fetch_host_file;
  // Keeps the page definition of the run's first graphics window as the local table file
  // ("drtab.ini"); called on program threads. Returns 0 or an error number.
  std::function<int(std::span<const std::uint8_t> page_definition)> store_page_definition;
  // Set once a page definition was stored: later ones of the run are not written again.
  std::shared_ptr<std::atomic<bool>> page_definition_stored =
      std::make_shared<std::atomic<bool>>(false);
  // "Double Click": icon views open entries by double click (else by a single click).
  bool double_click = false;
  // "Poster Print": graphics print jobs may spread a world over several pages.
  bool poster_print = false;
  // What the server reported at login about the paths of the path selection: its version, and
  // whether the host keeps "/" in the paths it gets back.
  int daemon_version = 0;
  bool host_keeps_slash = false;
  // "Choose Directory": the folder the last folder selection chose (UTF-8), kept with the
  // settings. Called on program threads; without them no folder is remembered.
  std::function<std::string()> load_choose_directory;
  std::function<void(const std::string&)> save_choose_directory;
};

// Replaces the host description; threads that run keep the snapshot they took.
void set_session_host(SessionHost host);
std::shared_ptr<const SessionHost> session_host();

// The shell's main window, the receiver of WML_ENDE.
EventChannel& shell_channel();

}  // namespace kovw::session
