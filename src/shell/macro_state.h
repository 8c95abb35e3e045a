#pragma once
// The process-wide macro state: off, recording or playback, the macro's name, the playback wait
// rule and the folders: the macro root "<data>/makro" and one folder per macro below it. Program
// threads read it when their session starts; the shell sets it. The status texts go to the
// status window on the GUI thread.

#include <string>
#include <string_view>

#include "protocol/macro_file.h"

namespace kovw::shell {

enum class MacroMode { Off = 0, Recording = 1, Playback = 2 };

inline constexpr std::size_t kMaxMacroName = 38;

struct MacroState {
  MacroMode mode = MacroMode::Off;
  std::string name;
  protocol::MacroWaitRule wait;
  std::string root;       // "<data>/makro"
  std::string directory;  // root "/" name
};

// A copy of the state (any thread).
MacroState macro_state();
bool macro_active();

// True when `name` can name a macro folder: 1 to 38 characters, no path separator, no ":" and
// not "." or ".." (a name from the host or the user must not leave the macro root).
bool valid_macro_name(std::string_view name);

// Fixes the macro root below the data directory and makes it; with a name also makes the
// macro's folder and sets it as the current macro (mode unchanged). False, with `error` set,
// when the name is not valid or a folder cannot be made.
bool macro_prepare(const std::string& data_directory, const std::string& name, std::string& error);

// Starts a recording of the prepared macro: its folder is emptied (the folder itself is kept)
// and the status window shows "Makro Aufzeichnung aktiv".
bool macro_record(std::string& error);
// Starts a playback of the prepared macro with `wait`; the status window shows
// "Makro Wiedergabe aktiv".
void macro_play(const protocol::MacroWaitRule& wait);
// Ends recording or playback and removes the status window.
void macro_off();

// The file of a program session: "<directory>/<program>_<sequence>.mdx".
std::string macro_file_path(const MacroState& state, std::string_view program, int sequence);

// Shows `text` in the status window (any thread); an empty text removes the window.
void show_macro_status(const std::string& text);

namespace macro_texts {
inline constexpr char kRecording[] = "Makro Aufzeichnung aktiv";
inline constexpr char kPlayback[] = "Makro Wiedergabe aktiv";
inline constexpr char kPlaybackWaiting[] = "Makro Wiedergabe aktiv, warte %ds";
inline constexpr char kPacking[] = "Makro Aufzeichnung: Erstelle ZIP-Datei";
inline constexpr char kCaption[] = "KOVW Makro";
}  // namespace macro_texts

namespace testing {
// Receives every status text instead of the window (nullptr: the window again).
void set_macro_status_sink(void (*sink)(const std::string&));
void reset_macro_state();
}  // namespace testing

}  // namespace kovw::shell
