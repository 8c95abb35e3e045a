#include "file_server.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "net/link_names.h"
#include "protocol/file_transfer.h"
#include "protocol/payload_codec.h"
#include "protocol/program/file_records.h"

namespace hostsim {

namespace net = kovw::net;
namespace proto = kovw::protocol;

namespace {

constexpr std::size_t kFrameBytes = 32 * 1024;

proto::Outgoing frame(int type, std::vector<std::uint8_t> payload) {
  return proto::Outgoing{net::KWD_KOMM, type, std::move(payload)};
}

bool refuse(const FrameSender& send, const std::string& why) {
  proto::Outgoing out{net::KWD_KOMM, net::KWK_KOMFAIL, {}};
  proto::PayloadWriter(out.payload).int_field(2).text(why);
  return send(out);
}

bool read_all(const std::string& path, std::vector<std::uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

std::vector<std::uint8_t> listing_of(const std::string& path, bool& ok) {
  std::vector<std::uint8_t> out;
  DIR* dir = ::opendir(path.c_str());
  ok = dir != nullptr;
  if (!dir) return out;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    struct stat st {};
    if (::lstat((path + "/" + name).c_str(), &st) != 0) continue;
    proto::FileStatus status;
    status.listing_name = name;
    status.mode = st.st_mode & 0xFFFF;
    status.size = st.st_size;
    status.modification_time = st.st_mtime;
    const auto entry = proto::build_directory_entry(status);
    out.insert(out.end(), entry.begin(), entry.end());
  }
  return out;
}

}  // namespace

std::string path_below(const std::string& directory, const std::string& name) {
  std::string relative = name;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  std::vector<std::string> parts;
  std::size_t at = 0;
  while (at <= relative.size()) {
    const std::size_t slash = std::min(relative.find('/', at), relative.size());
    const std::string part = relative.substr(at, slash - at);
    at = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return {};
    parts.push_back(part);
  }
  std::string path = directory;
  for (const std::string& part : parts) path += "/" + part;
  return path;
}

bool serve_fetch(const std::string& directory, std::int32_t daemon_version, int type,
                 std::span<const std::uint8_t> payload, const FrameSender& send,
                 const std::function<void(const std::string&)>& log) {
  const auto request = proto::parse_fetch_request(type, payload);
  if (!request) {
    log("fetch: unreadable request: " + request.error().message);
    return refuse(send, "unreadable request");
  }
  if (directory.empty()) {
    log("fetch " + request->host_name + ": no --files directory");
    return refuse(send, "no files served");
  }
  std::vector<std::uint8_t> data;
  struct stat st {};
  std::int64_t time = 0;
  if (request->mode == proto::kFetchTexts) {
    for (const std::string& name : request->names) {
      std::vector<std::uint8_t> one;
      const std::string path = path_below(directory, name);
      if (path.empty() || !read_all(path, one)) {
        log("fetch texts: missing " + name);
        return refuse(send, "missing " + name);
      }
      data.insert(data.end(), one.begin(), one.end());
      data.push_back(0);
    }
  } else {
    const std::string path = path_below(directory, request->host_name);
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
      log("fetch " + request->host_name + ": not found");
      return refuse(send, "not found: " + request->host_name);
    }
    time = st.st_mtime;
    bool ok = true;
    if (request->mode == proto::kFetchListing)
      data = listing_of(path, ok);
    else
      ok = read_all(path, data);
    if (!ok) {
      log("fetch " + request->host_name + ": unreadable");
      return refuse(send, "unreadable: " + request->host_name);
    }
  }
  const proto::FetchAnswer answer = proto::fetch_answer_kind(request->for_program, daemon_version);
  log("fetch " + request->host_name + " mode " + std::to_string(request->mode) + ": " +
      std::to_string(data.size()) + " bytes, " +
      (answer == proto::FetchAnswer::SizeFirst    ? "size first"
       : answer == proto::FetchAnswer::InfoHeader ? "information header"
                                                  : "plain data"));
  if (answer == proto::FetchAnswer::SizeFirst) {
    std::vector<std::uint8_t> size;
    proto::PayloadWriter(size).int_field(static_cast<std::int32_t>(data.size()));
    if (!send(frame(net::KWK_KSIZE, std::move(size)))) return false;
  }
  std::vector<std::uint8_t> first;
  if (answer == proto::FetchAnswer::InfoHeader) {
    const std::uint64_t count = request->mode == proto::kFetchListing
                                    ? data.size() / proto::kDirectoryEntrySize
                                    : data.size();
    first = proto::build_fetch_info({time, count});
  }
  std::size_t at = 0;
  do {
    std::vector<std::uint8_t> chunk = std::move(first);
    first.clear();
    const std::size_t take = std::min(kFrameBytes, data.size() - at);
    chunk.insert(chunk.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                 data.begin() + static_cast<std::ptrdiff_t>(at + take));
    at += take;
    if (!chunk.empty() && !send(frame(net::KWK_KDATA, std::move(chunk)))) return false;
  } while (at < data.size());
  return send(frame(net::KWK_KEND, {}));
}

}  // namespace hostsim
