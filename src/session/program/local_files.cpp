#include "session/program/local_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/error_text.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "net/link_names.h"
#include "protocol/program/file_records.h"
#include "protocol/program/host_requests.h"
#include "session/program/handler_context.h"
#include "session/program/host_paths.h"
#include "session/program/request_failures.h"

#include "session/program/command_table.h"

namespace kovw::session {

namespace {

int errno_code(int error) {
  return error == 0 ? 0 : foundation::kErrnoErrorBase + error;
}

int remove_file(const std::string& path) {
  return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

// Overwrites a regular file with zero bytes over its whole length, then deletes it. Anything
// else (a directory, a device, a pipe, a symbolic link) is refused before it is opened, so
// that wiping never writes through a link or into a device.
int wipe_file(const std::string& path) {
  struct stat before {};
  if (::lstat(path.c_str(), &before) != 0) return errno;
  if (S_ISDIR(before.st_mode)) return EISDIR;
  if (!S_ISREG(before.st_mode)) return EINVAL;
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  int error = 0;
  struct stat opened {};
  if (::fstat(fd, &opened) != 0) {
    error = errno;
  } else if (!S_ISREG(opened.st_mode) || opened.st_ino != before.st_ino ||
             opened.st_dev != before.st_dev) {
    error = EINVAL;  // replaced between the check and the open
  } else {
    const std::vector<char> zeros(64 * 1024, 0);
    off_t left = opened.st_size;
    while (left > 0 && error == 0) {
      const auto chunk = static_cast<std::size_t>(std::min<off_t>(left, zeros.size()));
      const ssize_t written = ::write(fd, zeros.data(), chunk);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0)
        error = written < 0 ? errno : EIO;
      else
        left -= written;
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) return error;
  return remove_file(path);
}

int make_directory(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

// Removes the directory `path` with everything in it. Symbolic links inside are removed, not
// followed; `path` itself must be a directory, not a link to one.
int remove_tree(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return errno;
  if (!S_ISDIR(status.st_mode)) return ENOTDIR;
  std::error_code error;
  std::filesystem::remove_all(path, error);
  return error ? error.value() : 0;
}

int remove_directory(const std::string& path) {
  if (::rmdir(path.c_str()) == 0) return 0;
  const int error = errno;
  if (error != ENOTEMPTY && error != EEXIST) return error;
  return remove_tree(path);
}

int run_file_operation(int type, const std::string& path) {
  switch (type) {
    case net::KWK_KDEL:
      return remove_file(path);
    case net::KWK_KWIPE:
      return wipe_file(path);
    case net::KWK_KMKDIR:
      return make_directory(path);
    case net::KWK_KRMDIR:
      return remove_directory(path);
    case net::KWK_KRMALL:
      return remove_tree(path);
    default:
      return EINVAL;
  }
}

std::string base_name(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos || slash + 1 == path.size()) return path;
  return path.substr(slash + 1);
}

protocol::FileStatus status_of(const std::string& path, const struct stat& st) {
  protocol::FileStatus status;
  status.entry_name = host_text_of(path, protocol::kFileEntryNameSize + 1);
  const std::string name = base_name(path);
  status.listing_name = host_text_of(name, protocol::kDirectoryEntryNameSize);
  status.mode = static_cast<std::uint32_t>(st.st_mode) & 0xFFFF;
  status.link_count = static_cast<std::uint32_t>(st.st_nlink);
  status.user_id = st.st_uid;
  status.group_id = st.st_gid;
  status.device = st.st_dev;
  status.inode = st.st_ino;
  status.special_device = st.st_rdev;
  status.size = st.st_size;
  status.access_time = st.st_atim.tv_sec;
  status.modification_time = st.st_mtim.tv_sec;
  status.change_time = st.st_ctim.tv_sec;
  status.creation_time = st.st_ctim.tv_sec;
  std::uint32_t attributes = 0;
  if (S_ISDIR(st.st_mode))
    attributes |= protocol::kAttributeDirectory;
  else if (S_ISREG(st.st_mode))
    attributes |= protocol::kAttributeArchive;
  else
    attributes |= protocol::kAttributeDevice;
  if (::access(path.c_str(), W_OK) != 0) attributes |= protocol::kAttributeReadOnly;
  if (!name.empty() && name[0] == '.' && name != "." && name != "..")
    attributes |= protocol::kAttributeHidden;
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
    attributes |= protocol::kAttributeLink;
  status.attributes = attributes;
  return status;
}

}  // namespace

void handle_file_operation(HandlerContext& context, int type,
                           std::span<const std::uint8_t> payload) {
  const auto parsed = protocol::parse_file_operation(type, payload);
  if (!parsed) {
    answer_unreadable_request(context.replies, type, parsed.error());
    return;
  }
  const auto path = local_path(*parsed);
  const int error = path ? run_file_operation(type, *path) : ENAMETOOLONG;
  const char* name = net::type_name(net::KWD_KOMM, type);
  foundation::log_printf("%s %s: %d", name ? name : "file operation",
                         path ? path->c_str() : parsed->c_str(), error);
  const protocol::Outgoing answer =
      protocol::build_file_answer(type, errno_code(error), foundation::german());
  context.replies.send(answer);
}

void handle_file_check(HandlerContext& context, std::span<const std::uint8_t> payload) {
  const auto parsed = protocol::parse_kfilecheck(payload);
  if (!parsed) {
    answer_unreadable_request(context.replies, net::KWK_KFILECHECK, parsed.error());
    return;
  }
  protocol::FileCheckAnswer answer;
  const auto path = local_path(*parsed);
  struct stat st {};
  int error = 0;
  if (!path)
    error = ENAMETOOLONG;
  else if (::stat(path->c_str(), &st) != 0)
    error = errno;
  if (error == 0) {
    const protocol::FileStatus status = status_of(*path, st);
    answer.entry = protocol::build_file_entry(status);
    answer.file_record = protocol::build_file_record(status);
  } else {
    answer.error = errno_code(error);
    answer.text = foundation::error_text(answer.error, foundation::german());
    protocol::FileStatus status;
    status.entry_name =
        host_text_of(path.value_or(utf8_of_host(*parsed)), protocol::kFileEntryNameSize + 1);
    answer.entry = protocol::build_file_entry(status);
    answer.entry.resize(protocol::kFileEntryNameSize);  // only the name; the rest stays zero
  }
  const protocol::Outgoing out = protocol::build_filecheck_answer(answer);
  context.replies.send(out);
}

void register_local_file_commands(CommandTable& table) {
  for (const int type :
       {net::KWK_KDEL, net::KWK_KWIPE, net::KWK_KMKDIR, net::KWK_KRMDIR, net::KWK_KRMALL}) {
    table.add(net::KWD_KOMM, type, [](HandlerContext& context, const Command& command) {
      handle_file_operation(context, command.type, command.payload);
    });
  }
  table.add(net::KWD_KOMM, net::KWK_KFILECHECK,
            [](HandlerContext& context, const Command& command) {
              handle_file_check(context, command.payload);
            });
}

}  // namespace kovw::session
