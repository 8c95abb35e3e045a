#pragma once
// Downloads and uploads on a program link, apart from the link itself so that they can be
// driven directly: a DownloadReceiver writes what a host program sends (text or binary,
// encrypted or plain) under a temporary name and puts the file in place only when it is
// complete and checked; run_upload reads a local file or a directory listing in blocks and
// hands each block to the sender. Both report their end as the answer record the host gets.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "foundation/atomic_file.h"
#include "foundation/error_text.h"
#include "foundation/stream_writer.h"
#include "protocol/file_transfer.h"
#include "shell/transfer_statistics.h"

namespace kovw::session {

// What the user is shown when a transfer fails: a message number with its arguments filled in.
struct TransferMessage {
  int number = 0;  // 10060, 10061, 10077, 10079; 0 none
  std::string text;
};

struct TransferEnd {
  protocol::TransferAnswer answer;
  TransferMessage message;
  std::uint64_t bytes = 0;
  std::chrono::milliseconds elapsed{0};
};

using shell::CancelFlag;

class DownloadReceiver {
 public:
  // `scratch_directory` holds the temporary encrypted file of an encrypted download.
  DownloadReceiver(protocol::DownloadStart start, std::string local_target,
                   std::string scratch_directory, bool german);
  ~DownloadReceiver();

  // Creates the files. False when the target cannot be made: the download still runs to its
  // end message (its data is dropped) and then answers the failure.
  bool open();
  // Refuses the download before it starts (a target name that cannot be used): its data is
  // dropped and the end answers `system_error`.
  void refuse(int system_error);
  // Appends one data message.
  void data(std::span<const std::uint8_t> bytes);
  // Ends the download (the first message that is not data): closes, decrypts, puts the file
  // in place with its time, or removes everything on a failure or a cancel.
  TransferEnd finish();

  const CancelFlag& cancel_flag() const { return cancel_; }
  const protocol::DownloadStart& start() const { return start_; }
  const std::string& local_target() const { return target_; }
  std::uint64_t received() const { return received_; }

 private:
  void fail(int error, int message_number, std::string text);

  protocol::DownloadStart start_;
  std::string target_;
  std::string scratch_;
  bool german_;
  foundation::AtomicFile file_;  // the target, or the encrypted data with bit 1
  std::unique_ptr<foundation::StreamWriter> writer_;  // writes file_ on its own thread
  std::string encrypted_path_;                        // bit 1: the temporary "cry" file
  protocol::LineEndExpander expander_;
  std::vector<std::uint8_t> converted_;
  std::uint64_t received_ = 0;
  int error_ = 0;  // the first failure (error-table code), 0 while all is well
  TransferMessage message_;
  std::chrono::steady_clock::time_point started_;
  CancelFlag cancel_ = std::make_shared<std::atomic<bool>>(false);
};

// Sends one block; false when the link failed.
using BlockSender = std::function<bool(std::span<const std::uint8_t>)>;

// The upload of KWK_KFGET (a file) or KWK_KFGDIR / KWK_KFGDIRREC (a directory listing, the
// latter with every subdirectory). `local_path` is the expanded local name. The answer's
// type is KWK_KFGET.
TransferEnd run_upload(int type, const protocol::UploadRequest& request,
                       const std::string& local_path, const std::string& scratch_directory,
                       bool german, const BlockSender& send, const CancelFlag& cancel);

// The lines of a directory listing upload: each entry up to the end of its name, then a line
// end. Names below `path` are relative to it with "/" between their parts. Returns 0 or errno.
int list_directory(const std::string& path, bool recursive, std::string& out, int& count);

// The error-table code of a C-library error.
inline int transfer_error_code(int error) {
  return error == 0 ? 0 : foundation::kErrnoErrorBase + error;
}

}  // namespace kovw::session
