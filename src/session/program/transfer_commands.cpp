#include "session/program/transfer_commands.h"

#include <sys/stat.h>

#include <QString>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/show_message.h"
#include "net/link_names.h"
#include "protocol/file_transfer.h"
#include "session/program/command_table.h"
#include "session/program/file_transfers.h"
#include "session/program/host_paths.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_session.h"
#include "session/program/session_context.h"
#include "session/program/text_output.h"
#include "shell/startup.h"
#include "shell/transfer_progress.h"
#include "shell/transfer_statistics.h"

namespace kovw::session {

class RunningDownload {
 public:
  explicit RunningDownload(std::unique_ptr<DownloadReceiver> receiver)
      : receiver(std::move(receiver)) {}
  std::unique_ptr<DownloadReceiver> receiver;
  std::unique_ptr<shell::TransferProgress> progress;
};

using foundation::log_printf;

namespace {

// The host library that waits for an empty KWK_KOMOK before it sends a download's data.
constexpr int kHostAwaitsDownloadAck = 0x030004;

// Temporary transfer files go to the cache directory of the local data directory.
std::string scratch_directory() {
  const std::string& data = shell::shell_state().directories.data;
  return data.empty() ? std::string() : data + "/cache";
}

void show_failure(const TransferMessage& message) {
  if (message.number == 0) return;
  foundation::show_message(nullptr, 0, 0, "KOVW", "%s", message.text.c_str());
}

void start_download(ProgramSession& session, const Command& command) {
  text_flush(session);
  LinkReplies replies(session);
  auto start = protocol::parse_download_start(command.type, command.payload);
  if (!start) {
    log_parse_failure(start.error());
    TransferEnd refused;
    refused.answer.error = transfer_error_code(EINVAL);
    refused.answer.text =
        protocol::transfer_answer_text(refused.answer.error, foundation::german());
    replies.send(protocol::build_transfer_answer(net::KWK_KSDATEI, refused.answer));
    return;
  }
  const auto path = local_path(start->target);
  auto receiver = std::make_unique<DownloadReceiver>(*start, path.value_or(std::string()),
                                                     scratch_directory(), foundation::german());
  if (!path)
    receiver->refuse(ENAMETOOLONG);
  else
    receiver->open();
  log_printf("Download %s (%d Bytes, Flags 0x%x)", path.value_or(start->target).c_str(),
             start->size, start->flags);
  auto running = std::make_shared<RunningDownload>(std::move(receiver));
  running->progress = shell::TransferProgress::open(
      shell::TransferDirection::Download,
      QString::fromUtf8(foundation::german() ? "Dateiübertragung vom Host"
                                             : "File Transmission from Host"),
      QString::fromStdU16String(foundation::host_to_wide(start->display_name)),
      static_cast<std::uint32_t>(start->size), running->receiver->cancel_flag());
  session.download = std::move(running);
  if (session.host_version == kHostAwaitsDownloadAck)
    replies.send(net::KWD_KOMM, net::KWK_KOMOK, {});
}

void run_upload_command(ProgramSession& session, const Command& command) {
  text_flush(session);
  LinkReplies replies(session);
  auto request = protocol::parse_upload_request(command.type, command.payload);
  if (!request) {
    log_parse_failure(request.error());
    protocol::TransferAnswer refused;
    refused.error = transfer_error_code(EINVAL);
    refused.text = protocol::transfer_answer_text(refused.error, foundation::german());
    replies.send(protocol::build_transfer_answer(net::KWK_KFGET, refused));
    return;
  }
  const auto path = local_path(request->source);
  log_printf("dt_putfile von %s nach %s", path.value_or(request->source).c_str(),
             request->display_name.c_str());
  TransferEnd end;
  if (!path) {
    end.answer.error = transfer_error_code(ENAMETOOLONG);
    end.answer.text = protocol::transfer_answer_text(end.answer.error, foundation::german());
  } else {
    const CancelFlag cancel = std::make_shared<std::atomic<bool>>(false);
    struct stat st {};
    const std::uint64_t size =
        ::stat(path->c_str(), &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : 0;
    const auto progress = shell::TransferProgress::open(
        shell::TransferDirection::Upload,
        QString::fromUtf8(foundation::german() ? "Datenübertragung zum Host"
                                               : "Data transmission to Host"),
        QString::fromStdU16String(foundation::host_to_wide(request->display_name)), size, cancel);
    std::uint64_t sent = 0;
    end = run_upload(
        command.type, *request, *path, scratch_directory(), foundation::german(),
        [&](std::span<const std::uint8_t> block) {
          sent += block.size();
          progress->advance(sent);
          return replies.send(protocol::build_upload_block(block)) >= 0;
        },
        cancel);
  }
  shell::add_transfer(shell::TransferDirection::Upload, end.bytes,
                      static_cast<std::uint64_t>(end.elapsed.count()));
  show_failure(end.message);
  replies.send(protocol::build_transfer_answer(net::KWK_KFGET, end.answer));
}

}  // namespace

bool download_running(const ProgramSession& session) {
  return session.download != nullptr;
}

void receive_download(ProgramSession& session, int type, std::span<const std::uint8_t> payload) {
  if (type == net::KWK_KDATA) {
    session.download->receiver->data(payload);
    session.download->progress->advance(session.download->receiver->received());
    return;
  }
  std::shared_ptr<RunningDownload> running = std::move(session.download);
  session.download.reset();
  running->progress.reset();
  const TransferEnd end = running->receiver->finish();
  shell::add_transfer(shell::TransferDirection::Download, end.bytes,
                      static_cast<std::uint64_t>(end.elapsed.count()));
  show_failure(end.message);
  LinkReplies(session).send(protocol::build_transfer_answer(net::KWK_KSDATEI, end.answer));
}

void register_transfer_commands(CommandTable& table) {
  for (const int type : {net::KWK_KSDATEI, net::KWK_KFPDIR})
    table.add(net::KWD_KOMM, type, [](ProgramSession& session, const Command& command) {
      start_download(session, command);
    });
  for (const int type : {net::KWK_KFGET, net::KWK_KFGDIR, net::KWK_KFGDIRREC})
    table.add(net::KWD_KOMM, type, [](ProgramSession& session, const Command& command) {
      run_upload_command(session, command);
    });
}

}  // namespace kovw::session
