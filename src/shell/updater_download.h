#pragma once
// The download of the updater over the server link: the daemon's data frames are written to a
// temporary file beside the target, which takes the target's name only when the daemon ends
// the transfer and the data has the offered size. A cancelled, failed or abandoned download
// leaves no file behind. More data than offered is refused, not written.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

namespace kovw::shell {

class UpdaterDownload {
 public:
  enum class State { Receiving, Done, Cancelled, Failed };

  UpdaterDownload(std::filesystem::path target, std::uint64_t offered_size);
  ~UpdaterDownload();
  UpdaterDownload(const UpdaterDownload&) = delete;
  UpdaterDownload& operator=(const UpdaterDownload&) = delete;

  // Creates the temporary file; 0 or an errno value.
  int open();
  // A frame from the daemon: KWK_KDATA appends its payload, any other type ends the download.
  State take(int type, std::span<const std::uint8_t> payload);
  // The user cancelled: further data is read and dropped, the end deletes the file.
  void cancel() { cancelled_ = true; }

  State state() const { return state_; }
  std::uint64_t received() const { return received_; }
  // After Failed: the message number (10061 write error, 10064 the daemon refused) with its
  // text argument and error.
  int message() const { return message_; }
  const std::string& message_text() const { return message_text_; }
  int error() const { return error_; }
  const std::filesystem::path& target() const { return target_; }
  std::filesystem::path part_path() const;

 private:
  State fail(int message, std::string text, int error);
  void discard();

  std::filesystem::path target_;
  std::uint64_t offered_size_;
  std::FILE* file_ = nullptr;
  std::uint64_t received_ = 0;
  bool cancelled_ = false;
  State state_ = State::Receiving;
  int message_ = 0;
  std::string message_text_;
  int error_ = 0;
};

}  // namespace kovw::shell
