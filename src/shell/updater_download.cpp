#include "shell/updater_download.h"

#include <cerrno>
#include <system_error>

#include "net/link_names.h"
#include "protocol/payload_codec.h"

namespace kovw::shell {

namespace fs = std::filesystem;

UpdaterDownload::UpdaterDownload(fs::path target, std::uint64_t offered_size)
    : target_(std::move(target)), offered_size_(offered_size) {}

UpdaterDownload::~UpdaterDownload() {
  if (state_ != State::Done) discard();
}

fs::path UpdaterDownload::part_path() const {
  return fs::path(target_.string() + ".part");
}

int UpdaterDownload::open() {
  std::error_code code;
  fs::create_directories(target_.parent_path(), code);
  errno = 0;
  file_ = std::fopen(part_path().c_str(), "wb");
  if (file_ == nullptr) {
    const int error = errno ? errno : EACCES;
    state_ = State::Failed;
    return error;
  }
  return 0;
}

void UpdaterDownload::discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  std::error_code code;
  fs::remove(part_path(), code);
}

UpdaterDownload::State UpdaterDownload::fail(int message, std::string text, int error) {
  discard();
  message_ = message;
  message_text_ = std::move(text);
  error_ = error;
  return state_ = State::Failed;
}

UpdaterDownload::State UpdaterDownload::take(int type, std::span<const std::uint8_t> payload) {
  if (state_ != State::Receiving) return state_;
  if (type == net::KWK_KDATA) {
    if (cancelled_) return state_;
    if (file_ == nullptr) return fail(10061, part_path().string(), EBADF);
    if (payload.size() > offered_size_ - received_) {
      return fail(10064, "more data than offered", EFBIG);
    }
    errno = 0;
    if (std::fwrite(payload.data(), 1, payload.size(), file_) != payload.size()) {
      return fail(10061, target_.string(), errno ? errno : EIO);
    }
    received_ += payload.size();
    return state_;
  }
  if (cancelled_) {
    discard();
    return state_ = State::Cancelled;
  }
  if (type == net::KWK_KOMFAIL) {
    protocol::PayloadReader reader(payload);
    const std::int32_t code = reader.int_field("error");
    std::string text = reader.text("text", 1024);
    if (!reader.ok()) text.clear();
    return fail(10064, text, code);
  }
  if (file_ == nullptr) return fail(10061, target_.string(), EBADF);
  errno = 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed) return fail(10061, target_.string(), errno ? errno : EIO);
  std::error_code code;
  fs::rename(part_path(), target_, code);
  if (code) return fail(10061, target_.string(), code.value());
  // Making the file executable for its owner (the updater runs from it).
  fs::permissions(target_, fs::perms::owner_exec | fs::perms::owner_read | fs::perms::owner_write,
                  fs::perm_options::add, code);
  return state_ = State::Done;
}

}  // namespace kovw::shell
