#include "session/program/file_transfers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "foundation/log.h"
#include "foundation/message_table.h"
#include "net/encrypted_file.h"
#include "net/link_names.h"
#include "protocol/program/file_records.h"

namespace kovw::session {

using foundation::log_printf;

namespace {

// A temporary file "<prefix>XXXXXX" in `directory` (the target's own directory when the
// scratch directory cannot hold it); empty with `error` set when neither can.
std::string make_scratch_file(const std::string& directory, const std::string& fallback,
                              const char* prefix, int& error) {
  for (const std::string& where : {directory, fallback}) {
    if (where.empty()) continue;
    ::mkdir(where.c_str(), 0777);
    std::string pattern = where + "/" + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) {
      ::close(fd);
      error = 0;
      return name.data();
    }
    error = errno;
  }
  return {};
}

std::string directory_of(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::chrono::milliseconds since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start);
}

void log_rate(const char* format, std::uint64_t bytes, std::chrono::milliseconds elapsed) {
  const double seconds = std::max(0.001, static_cast<double>(elapsed.count()) / 1000.0);
  const double rate = static_cast<double>(bytes) / seconds;
  log_printf(format, static_cast<int>(bytes), static_cast<int>(elapsed.count() / 1000), rate,
             rate / 1024.0);
}

// The transfer password from its hexadecimal text.
std::optional<std::vector<std::uint8_t>> password_of(const std::string& key) {
  return protocol::transfer_key_bytes(key);
}

}  // namespace

// --- Download ---

DownloadReceiver::DownloadReceiver(protocol::DownloadStart start, std::string local_target,
                                   std::string scratch_directory, bool german)
    : start_(std::move(start)),
      target_(std::move(local_target)),
      scratch_(std::move(scratch_directory)),
      german_(german),
      started_(std::chrono::steady_clock::now()) {}

DownloadReceiver::~DownloadReceiver() {
  // A download that never finished (the link dropped) leaves nothing behind.
  writer_.reset();
  file_.abort();
  if (!encrypted_path_.empty()) ::unlink(encrypted_path_.c_str());
}

void DownloadReceiver::fail(int error, int message_number, std::string text) {
  if (error_ != 0) return;
  error_ = error;
  message_ = {message_number, std::move(text)};
  if (writer_) writer_->stop();
  file_.abort();
}

bool DownloadReceiver::open() {
  std::string where = target_;
  if (start_.flags & protocol::kTransferEncrypted) {
    int error = 0;
    encrypted_path_ = make_scratch_file(scratch_, directory_of(target_), "cry", error);
    if (encrypted_path_.empty()) {
      fail(transfer_error_code(error), 10060,
           foundation::message_text_format(10060, target_.c_str(), error));
      return false;
    }
    where = encrypted_path_;
  }
  const int error = file_.open(where);
  if (error != 0) {
    fail(transfer_error_code(error), 10060,
         foundation::message_text_format(10060, target_.c_str(), error));
    return false;
  }
  writer_ = std::make_unique<foundation::StreamWriter>(file_);
  return true;
}

void DownloadReceiver::refuse(int system_error) {
  fail(transfer_error_code(system_error), 10060,
       foundation::message_text_format(10060, start_.target.c_str(), system_error));
}

void DownloadReceiver::data(std::span<const std::uint8_t> bytes) {
  received_ += bytes.size();
  if (error_ != 0 || cancel_->load()) return;
  if (start_.flags & protocol::kTransferText) {
    converted_.clear();
    expander_.expand(bytes, converted_);
    bytes = converted_;
  }
  if (const int error = writer_ ? writer_->write(bytes) : EBADF; error != 0)
    fail(transfer_error_code(error), 10061,
         foundation::message_text_format(10061, target_.c_str(), error));
}

TransferEnd DownloadReceiver::finish() {
  TransferEnd end;
  end.bytes = received_;
  end.elapsed = since(started_);
  log_rate("KOVW Download %d Bytes in %d seconds (%.1f Bytes/second = %.1f KB/second)", received_,
           end.elapsed);
  if (error_ == 0 && cancel_->load()) fail(transfer_error_code(ECANCELED), 0, {});
  if (error_ == 0 && writer_) {
    if (const int error = writer_->finish(); error != 0)
      fail(transfer_error_code(error), 10061,
           foundation::message_text_format(10061, target_.c_str(), error));
  }
  const std::optional<std::time_t> time =
      start_.file_time ? std::optional<std::time_t>(static_cast<std::time_t>(*start_.file_time))
                       : std::nullopt;
  std::string cipher_text;
  if (error_ == 0 && !encrypted_path_.empty()) {
    // The encrypted data is complete: decrypt it into a temporary file beside the target,
    // which is put in place only when the decryption has succeeded.
    if (const int committed = file_.commit(); committed != 0) {
      fail(transfer_error_code(committed), 10061,
           foundation::message_text_format(10061, target_.c_str(), committed));
    } else {
      foundation::AtomicFile plain;
      const auto password = password_of(start_.key);
      net::FileCryptError crypt;
      int error = plain.open(target_);
      if (error != 0) {
        fail(transfer_error_code(error), 10060,
             foundation::message_text_format(10060, target_.c_str(), error));
      } else if (!password) {
        cipher_text = net::kFileBadPassword;
        fail(-1, 10077, foundation::message_text_format(10077, cipher_text.c_str(), 0));
      } else if (net::file_decrypt(encrypted_path_, plain.temporary_path(), password->data(),
                                   &crypt) != 1) {
        cipher_text = crypt.text;
        fail(crypt.code != 0 ? transfer_error_code(crypt.code) : -1, 10077,
             foundation::message_text_format(10077, crypt.text.c_str(), crypt.code));
      } else if ((error = plain.commit(time)) != 0) {
        fail(transfer_error_code(error), 10061,
             foundation::message_text_format(10061, target_.c_str(), error));
      }
    }
    ::unlink(encrypted_path_.c_str());
    encrypted_path_.clear();
  } else if (error_ == 0) {
    if (const int error = file_.commit(time); error != 0)
      fail(transfer_error_code(error), 10061,
           foundation::message_text_format(10061, target_.c_str(), error));
  }
  file_.abort();
  if (!encrypted_path_.empty()) {
    ::unlink(encrypted_path_.c_str());
    encrypted_path_.clear();
  }
  if (error_ == 0 && (start_.flags & protocol::kTransferWritable)) {
    // Writable for the user (and the group where the umask allows it), never for everybody.
    struct stat status {};
    if (::stat(target_.c_str(), &status) == 0)
      ::chmod(target_.c_str(), (status.st_mode & 07777) | S_IWUSR);
  }
  end.answer.error = error_;
  end.answer.text =
      !cipher_text.empty() ? cipher_text : protocol::transfer_answer_text(error_, german_);
  end.answer.file_time = time.value_or(0);
  end.message = message_;
  return end;
}

// --- Upload ---

namespace {

protocol::FileStatus listing_status(const std::string& name, const struct stat& st) {
  protocol::FileStatus status;
  status.listing_name = name;
  status.mode = static_cast<std::uint32_t>(st.st_mode) & 0xFFFF;
  status.size = st.st_size;
  status.modification_time = st.st_mtim.tv_sec;
  return status;
}

int list_into(const std::string& path, const std::string& prefix, bool recursive, std::string& out,
              int& count, int depth) {
  DIR* directory = ::opendir(path.c_str());
  if (directory == nullptr) return errno;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(directory)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(directory);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string full = path + "/" + name;
    struct stat st {};
    if (::lstat(full.c_str(), &st) != 0) continue;
    const std::string listed = prefix.empty() ? name : prefix + "/" + name;
    const auto entry = protocol::build_directory_entry(listing_status(listed, st));
    const auto end = std::find(entry.begin() + 30, entry.end(), std::uint8_t{0});
    out.append(entry.begin(), end);
    out.push_back('\n');
    ++count;
    // Links are listed, not followed, so that a loop of links cannot recurse forever.
    if (recursive && S_ISDIR(st.st_mode) && depth < 64)
      list_into(full, listed, recursive, out, count, depth + 1);
  }
  return 0;
}

}  // namespace

int list_directory(const std::string& path, bool recursive, std::string& out, int& count) {
  count = 0;
  return list_into(path, {}, recursive, out, count, 0);
}

TransferEnd run_upload(int type, const protocol::UploadRequest& request,
                       const std::string& local_path, const std::string& scratch_directory,
                       bool german, const BlockSender& send, const CancelFlag& cancel) {
  const auto started = std::chrono::steady_clock::now();
  TransferEnd end;
  int error = 0;
  std::string cipher_text;
  std::string source = local_path;
  std::string temporary;  // removed at the end
  std::int64_t file_time = 0;

  auto finish = [&]() {
    if (!temporary.empty()) ::unlink(temporary.c_str());
    end.elapsed = since(started);
    log_rate("KOVW Upload   %d Bytes in %d seconds (%.1f Bytes/second = %.1f KB/second)", end.bytes,
             end.elapsed);
    end.answer.error = error;
    end.answer.text =
        !cipher_text.empty() ? cipher_text : protocol::transfer_answer_text(error, german);
    end.answer.file_time = file_time;
    return end;
  };

  if (type == net::KWK_KFGDIR || type == net::KWK_KFGDIRREC) {
    std::string listing;
    int count = 0;
    if (const int failed = list_directory(local_path, type == net::KWK_KFGDIRREC, listing, count);
        failed != 0) {
      error = transfer_error_code(failed);
      end.message = {10079, foundation::message_text_format(10079, local_path.c_str(), failed)};
      return finish();
    }
    log_printf("dt_putfile %d Einträge im Directory", count);
    int made = 0;
    temporary = make_scratch_file(scratch_directory, "/tmp", "dir", made);
    FILE* file = temporary.empty() ? nullptr : std::fopen(temporary.c_str(), "wb");
    if (file == nullptr || std::fwrite(listing.data(), 1, listing.size(), file) != listing.size()) {
      error = transfer_error_code(made != 0 ? made : errno);
      if (file) std::fclose(file);
      end.message = {10060, foundation::message_text_format(10060, temporary.c_str(), made)};
      return finish();
    }
    std::fclose(file);
    source = temporary;
  } else {
    log_printf("dt_putfile Sende %s", local_path.c_str());
    struct stat st {};
    if (::stat(local_path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      const int failed = ::stat(local_path.c_str(), &st) != 0 ? errno : EISDIR;
      error = transfer_error_code(failed);
      end.message = {10060, foundation::message_text_format(10060, local_path.c_str(), failed)};
      return finish();
    }
    file_time = st.st_mtim.tv_sec;
    if (request.flags & protocol::kTransferEncrypted) {
      int made = 0;
      temporary = make_scratch_file(scratch_directory, "/tmp", "cry", made);
      const auto password = password_of(request.key);
      net::FileCryptError crypt;
      if (temporary.empty()) {
        error = transfer_error_code(made);
        end.message = {10060, foundation::message_text_format(10060, local_path.c_str(), made)};
        return finish();
      }
      if (!password) {
        cipher_text = net::kFileBadPassword;
        error = -1;
        end.message = {10077, foundation::message_text_format(10077, cipher_text.c_str(), 0)};
        return finish();
      }
      if (net::file_encrypt(local_path, temporary, password->data(), &crypt) != 1) {
        cipher_text = crypt.text;
        error = crypt.code != 0 ? transfer_error_code(crypt.code) : -1;
        end.message = {10077,
                       foundation::message_text_format(10077, crypt.text.c_str(), crypt.code)};
        return finish();
      }
      source = temporary;
    }
  }

  const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int failed = errno;
    error = transfer_error_code(failed);
    end.message = {10060, foundation::message_text_format(10060, local_path.c_str(), failed)};
    return finish();
  }
  const bool text = (request.flags & protocol::kTransferText) != 0;
  std::vector<std::uint8_t> block(static_cast<std::size_t>(request.block_size));
  std::vector<std::uint8_t> stripped;
  for (;;) {
    if (cancel && cancel->load()) {
      error = transfer_error_code(ECANCELED);
      break;
    }
    const ssize_t got = ::read(fd, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int failed = errno;
      error = transfer_error_code(failed);
      end.message = {10061, foundation::message_text_format(10061, local_path.c_str(), failed)};
      break;
    }
    if (got == 0) break;
    std::span<const std::uint8_t> out(block.data(), static_cast<std::size_t>(got));
    end.bytes += out.size();
    if (text) {
      stripped.clear();
      protocol::drop_carriage_returns(out, stripped);
      out = stripped;
      if (out.empty()) continue;
    }
    if (!send(out)) {
      error = transfer_error_code(EPIPE);
      break;
    }
  }
  ::close(fd);
  return finish();
}

}  // namespace kovw::session
