#pragma once
// What a print job takes from the workstation when it starts: folders, settings, the
// workstation's identity and the time-outs of its waits.

#include <QString>
#include <cstdint>
#include <string>

namespace kovw::print {

// How long a print connection may stay silent: the first record, and every record after it.
inline constexpr int kPrintWaitMs = 300'000;
// How long the user may take in the print dialog.
inline constexpr int kPrintDialogWaitMs = 600'000;

struct PrintEnvironment {
  std::string cache_directory;      // where spool files go ("cache" in the data directory)
  std::string temporary_directory;  // ... when the cache cannot hold them
  QString pdf_folder;               // where the PDF printer writes
  bool print_bold = false;          // the setting "Print Bold"
  std::uint32_t version_word = 0;   // the workstation's version, sent to direct jobs
  std::string computer_name;
  int first_wait_ms = kPrintWaitMs;
  int record_wait_ms = kPrintWaitMs;
  int send_timeout_ms = 30'000;
  int dialog_wait_ms = kPrintDialogWaitMs;
  bool dialogs_allowed = true;  // not in unattended runs or workflow mode
};

// From the settings and the state of the shell (read on any thread).
PrintEnvironment current_print_environment();

}  // namespace kovw::print
