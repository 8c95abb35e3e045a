#pragma once
// The user's side of the workstation's own update: the offer dialog at login, the check and
// start of a downloaded updater, the installation step (-i) and the return to the previous
// version from the menu. The file steps are in self_update.h.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "protocol/server_messages.h"
#include "shell/self_update.h"

class QWidget;

namespace kovw::shell {

// Unattended runs (KOVW_UNATTENDED=1) take an offered update only when this variable is "1".
inline constexpr const char* kAcceptUpdateVariable = "KOVW_ACCEPT_UPDATE";

// The files of this process: its executable and its data directory.
UpdateFiles this_program_update_files();

// The offer: the running and the offered version, the change list (its button is enabled only
// with one), and a plain word when the link is not encrypted. True when the user takes it.
bool ask_for_update(QWidget* owner, int running_version, int offered_version,
                    const std::vector<protocol::UpdateChange>& changes, bool encrypted);

// Writes ".kovwapp" (the executable's path) into the data directory; 0 or an errno value.
int write_app_file(const UpdateFiles& files);

// After a finished download: an updater that is no program of this machine or not of the
// offered size is deleted and the offer declined with a message (0: the login goes on);
// otherwise it is started (-1: the workstation must end) or its start failed (-2).
int run_downloaded_updater(QWidget* owner, const UpdateFiles& files,
                           const std::filesystem::path& data_directory, std::uint64_t offered_size);

// -i: puts "kovw_upd" in place of the program, with its messages.
void install_update(QWidget* owner);

// The menu command: asks, then makes "kovw_old" the program. True when the workstation should
// end now.
bool restore_previous_version(QWidget* owner);

}  // namespace kovw::shell
