#include "net/trace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "net/link_message.h"

namespace kovw::net {

namespace {

// Fixed part of the header after the magic and the header length: kind, level, option bits,
// a zero byte and the start time.
constexpr std::size_t kHeaderFixed = 12;
constexpr std::size_t kMaxHeaderText = 255;
// A frame body: service, type and the payload.
constexpr std::uint32_t kMaxRecordBody = kMaxFrameLength + 2;

void put_be64(std::vector<std::uint8_t>& out, std::uint64_t v) {
  for (int shift = 56; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint64_t get_be64(const std::uint8_t* p) {
  std::uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
  return v;
}

void put_text(std::vector<std::uint8_t>& out, const std::string& text) {
  const std::size_t length = std::min(text.size(), kMaxHeaderText);
  out.push_back(static_cast<std::uint8_t>(length));
  out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
}

std::vector<std::uint8_t> record_head(TraceRecordKind kind, std::uint64_t offset_us,
                                      std::uint32_t body_length) {
  std::vector<std::uint8_t> head;
  head.reserve(kTraceRecordHead);
  head.push_back(static_cast<std::uint8_t>(kind));
  put_be64(head, offset_us);
  head.resize(kTraceRecordHead);
  write_be32(head.data() + 9, body_length);
  return head;
}

bool known_kind(std::uint8_t kind) {
  return kind == static_cast<std::uint8_t>(TraceRecordKind::Sent) ||
         kind == static_cast<std::uint8_t>(TraceRecordKind::Received) ||
         kind == static_cast<std::uint8_t>(TraceRecordKind::Options);
}

// Parses the header; returns the offset of the first record, or 0 (with `error` or
// `truncated` set).
std::size_t read_header(std::span<const std::uint8_t> data, TraceContents& contents) {
  if (data.size() < sizeof kTraceMagic + 2) {
    if (std::memcmp(data.data(), kTraceMagic, std::min(data.size(), sizeof kTraceMagic)) != 0)
      contents.error = "not a trace file (no KOVWTRC1 at its start)";
    else
      contents.truncated = true;
    return 0;
  }
  if (std::memcmp(data.data(), kTraceMagic, sizeof kTraceMagic) != 0) {
    contents.error = "not a trace file (no KOVWTRC1 at its start)";
    return 0;
  }
  const std::size_t length = (std::size_t{data[8]} << 8) | data[9];
  const std::size_t end = 10 + length;
  if (data.size() < end) {
    contents.truncated = true;
    return 0;
  }
  const std::uint8_t* p = data.data() + 10;
  std::size_t left = length;
  if (left < kHeaderFixed + 2) {
    contents.error = "trace header of " + std::to_string(length) + " bytes is too short";
    return 0;
  }
  TraceHeader& header = contents.header;
  if (p[0] < 1 || p[0] > 3) {
    contents.error = "trace header: unknown link kind " + std::to_string(p[0]);
    return 0;
  }
  header.link_kind = static_cast<TraceLinkKind>(p[0]);
  header.options.header_level = p[1];
  header.options.bits = p[2];
  header.start_time = get_be64(p + 4);
  p += kHeaderFixed;
  left -= kHeaderFixed;
  for (std::string* text : {&header.version, &header.peer}) {
    if (left < 1 || left - 1 < *p) {
      contents.error = "trace header: text longer than the header";
      return 0;
    }
    text->assign(reinterpret_cast<const char*>(p + 1), *p);
    left -= 1 + *p;
    p += 1 + *p;
  }
  // Bytes after the known fields belong to later versions of the format and are skipped.
  return end;
}

}  // namespace

std::vector<std::uint8_t> encode_trace_header(const TraceHeader& header) {
  std::vector<std::uint8_t> out(std::begin(kTraceMagic), std::end(kTraceMagic));
  out.push_back(0);
  out.push_back(0);
  out.push_back(static_cast<std::uint8_t>(header.link_kind));
  out.push_back(static_cast<std::uint8_t>(std::clamp(header.options.header_level, 0, 255)));
  out.push_back(header.options.bits);
  out.push_back(0);
  put_be64(out, header.start_time);
  put_text(out, header.version);
  put_text(out, header.peer);
  const std::size_t length = out.size() - 10;
  out[8] = static_cast<std::uint8_t>(length >> 8);
  out[9] = static_cast<std::uint8_t>(length);
  return out;
}

std::vector<std::uint8_t> encode_trace_record(const TraceRecord& record) {
  std::vector<std::uint8_t> body;
  if (record.kind == TraceRecordKind::Options) {
    body = {static_cast<std::uint8_t>(std::clamp(record.options.header_level, 0, 255)),
            record.options.bits};
  } else {
    body.reserve(2 + record.payload.size());
    body.push_back(static_cast<std::uint8_t>(record.service));
    body.push_back(static_cast<std::uint8_t>(record.type));
    body.insert(body.end(), record.payload.begin(), record.payload.end());
  }
  std::vector<std::uint8_t> out =
      record_head(record.kind, record.offset_us, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

TraceContents read_trace(std::span<const std::uint8_t> data) {
  TraceContents contents;
  std::size_t at = read_header(data, contents);
  if (at == 0) return contents;
  while (at < data.size()) {
    const std::size_t left = data.size() - at;
    const std::uint8_t* p = data.data() + at;
    if (!known_kind(p[0])) {
      contents.error =
          "record at byte " + std::to_string(at) + ": unknown kind " + std::to_string(p[0]);
      return contents;
    }
    if (left < kTraceRecordHead) {
      contents.truncated = true;
      return contents;
    }
    const std::uint32_t length = read_be32(p + 9);
    const auto kind = static_cast<TraceRecordKind>(p[0]);
    const bool options = kind == TraceRecordKind::Options;
    if ((options && length != 2) || (!options && (length < 2 || length > kMaxRecordBody))) {
      contents.error =
          "record at byte " + std::to_string(at) + ": body of " + std::to_string(length) + " bytes";
      return contents;
    }
    if (left - kTraceRecordHead < length) {
      contents.truncated = true;
      return contents;
    }
    TraceRecord record;
    record.kind = kind;
    record.offset_us = get_be64(p + 1);
    const std::uint8_t* body = p + kTraceRecordHead;
    if (options) {
      record.options = {body[0], body[1]};
    } else {
      record.service = body[0];
      record.type = body[1];
      record.payload.assign(body + 2, body + length);
    }
    contents.records.push_back(std::move(record));
    at += kTraceRecordHead + length;
  }
  return contents;
}

TraceContents read_trace_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    TraceContents contents;
    contents.error = "cannot read " + path;
    return contents;
  }
  const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(file)),
                                       std::istreambuf_iterator<char>());
  return read_trace(data);
}

TraceWriter::TraceWriter(const std::string& path, const TraceHeader& header)
    : path_(path), start_(std::chrono::steady_clock::now()), options_(header.options) {
  // O_EXCL: a trace never overwrites another one.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return;
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    ::close(fd);
    return;
  }
  const std::vector<std::uint8_t> bytes = encode_trace_header(header);
  std::fwrite(bytes.data(), 1, bytes.size(), file_);
  std::fflush(file_);
}

TraceWriter::~TraceWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

void TraceWriter::set_redactor(TraceRedactor redactor) {
  std::lock_guard lock(mutex_);
  redactor_ = std::move(redactor);
}

void TraceWriter::frame(TraceRecordKind direction, int service, int type,
                        std::span<const std::uint8_t> payload) {
  std::lock_guard lock(mutex_);
  if (file_ == nullptr) return;
  std::vector<std::uint8_t> body;
  body.reserve(2 + payload.size());
  body.push_back(static_cast<std::uint8_t>(service));
  body.push_back(static_cast<std::uint8_t>(type));
  body.insert(body.end(), payload.begin(), payload.end());
  if (redactor_) {
    std::vector<std::uint8_t> changed(body.begin() + 2, body.end());
    redactor_(service, type, changed);
    body.resize(2);
    body.insert(body.end(), changed.begin(), changed.end());
  }
  write(direction, body);
}

void TraceWriter::options(const TraceOptions& options) {
  std::lock_guard lock(mutex_);
  if (file_ == nullptr || options == options_) return;
  options_ = options;
  const std::uint8_t body[2] = {static_cast<std::uint8_t>(std::clamp(options.header_level, 0, 255)),
                                options.bits};
  write(TraceRecordKind::Options, body);
}

void TraceWriter::write(TraceRecordKind kind, std::span<const std::uint8_t> body) {
  const auto offset = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start_);
  const std::vector<std::uint8_t> head = record_head(
      kind, static_cast<std::uint64_t>(offset.count()), static_cast<std::uint32_t>(body.size()));
  // Head and body go out in one flush: a crash leaves at most the last record incomplete, and
  // the reader stops before it.
  if (std::fwrite(head.data(), 1, head.size(), file_) != head.size() ||
      std::fwrite(body.data(), 1, body.size(), file_) != body.size() || std::fflush(file_) != 0) {
    // A full disk ends the trace rather than leaving records with holes.
    std::fclose(file_);
    file_ = nullptr;
  }
}

}  // namespace kovw::net
