#pragma once
// The program-link file transfers: a download starts with KWK_KSDATEI or KWK_KFPDIR, takes
// every KWK_KDATA that follows and ends with the first other service-0 message, which the
// dispatch hands here while the download runs; uploads (KWK_KFGET, KWK_KFGDIR,
// KWK_KFGDIRREC) run to their end inside one message. Both answer the host when they end.

#include <cstdint>
#include <span>

namespace kovw::session {

class CommandTable;
struct ProgramSession;
class DownloadReceiver;

// A download with its progress window (the window closes when the download goes).
class RunningDownload;

// True while a download runs on the session: every service-0 message then goes to
// receive_download.
bool download_running(const ProgramSession& session);
void receive_download(ProgramSession& session, int type, std::span<const std::uint8_t> payload);

void register_transfer_commands(CommandTable& table);

}  // namespace kovw::session
