#pragma once
// Session trace files: every frame of one link, received and sent, after decryption and
// decompression, with its time offset (the format is in README.md, "Recording a session").
// TraceWriter appends to the file with bounded memory and flushes after each record, so a
// crash leaves every complete record readable; read_trace parses a trace from memory and stops
// at the last whole record.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace kovw::net {

inline constexpr char kTraceMagic[8] = {'K', 'O', 'V', 'W', 'T', 'R', 'C', '1'};
inline constexpr std::size_t kTraceRecordHead = 13;  // kind, time offset, body length

enum class TraceLinkKind : std::uint8_t { Server = 1, Program = 2, Print = 3 };

// Record kinds (the first byte of a record).
enum class TraceRecordKind : std::uint8_t {
  Sent = 'S',      // a frame the workstation sent
  Received = 'R',  // a frame the workstation received
  Options = 'O',   // the link's options changed
};

// Bits of the option byte.
inline constexpr std::uint8_t kTraceCompression = 1;
inline constexpr std::uint8_t kTraceEncryption = 2;
inline constexpr std::uint8_t kTraceLevelTracking = 4;

struct TraceOptions {
  int header_level = 0;
  std::uint8_t bits = 0;  // kTraceCompression, kTraceEncryption, kTraceLevelTracking
  bool operator==(const TraceOptions&) const = default;
};

struct TraceHeader {
  TraceLinkKind link_kind = TraceLinkKind::Program;
  TraceOptions options;
  std::uint64_t start_time = 0;  // seconds since 1970
  std::string version;           // the workstation's version text
  std::string peer;              // the peer's name or address
};

struct TraceRecord {
  TraceRecordKind kind = TraceRecordKind::Sent;
  std::uint64_t offset_us = 0;  // since the trace started
  int service = 0;              // frames
  int type = 0;
  std::vector<std::uint8_t> payload;  // frames
  TraceOptions options;               // options records
};

struct TraceContents {
  TraceHeader header;
  std::vector<TraceRecord> records;
  bool truncated = false;  // the data ended inside a record (the records before it are kept)
  std::string error;       // not empty: the data is not a trace or a record is malformed
};

// The file header and one record, as bytes.
std::vector<std::uint8_t> encode_trace_header(const TraceHeader& header);
std::vector<std::uint8_t> encode_trace_record(const TraceRecord& record);

// Parses a trace. A malformed header or record sets `error` and keeps the records before it;
// data that ends inside a record sets `truncated`.
TraceContents read_trace(std::span<const std::uint8_t> data);
// Reads the file at `path` (error "cannot read PATH" when it cannot be opened).
TraceContents read_trace_file(const std::string& path);

// Changes a frame's payload before it is written (the password of a login, ...).
using TraceRedactor = std::function<void(int service, int type, std::vector<std::uint8_t>&)>;

// One trace file being written; any thread may add records.
class TraceWriter {
 public:
  // Creates `path` (failing when it exists) and writes the header; is_open() says whether
  // that worked.
  TraceWriter(const std::string& path, const TraceHeader& header);
  ~TraceWriter();
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  bool is_open() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }
  void set_redactor(TraceRedactor redactor);

  void frame(TraceRecordKind direction, int service, int type,
             std::span<const std::uint8_t> payload);
  // Writes an options record when the options differ from the last ones written.
  void options(const TraceOptions& options);

 private:
  void write(TraceRecordKind kind, std::span<const std::uint8_t> body);

  std::mutex mutex_;
  std::FILE* file_ = nullptr;
  std::string path_;
  std::chrono::steady_clock::time_point start_;
  TraceOptions options_;
  TraceRedactor redactor_;
};

}  // namespace kovw::net
