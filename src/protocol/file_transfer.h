#pragma once
// The messages of file transfers and the byte rules they share.
//
// Server link (the shell fetches a host file from the daemon): the request (KWK_KSDATEI, or
// KWK_KSKOVW for a program thread's request to a daemon above 0x70006) and the way the
// daemon answers, which depends on who asked and on the daemon's version.
//
// Program link: the start of a download (KWK_KSDATEI, KWK_KFPDIR), the upload requests
// (KWK_KFGET, KWK_KFGDIR, KWK_KFGDIRREC), the upload data blocks and the closing answers.
//
// Text mode: received data gets CR LF for every LF that has no CR before it (across block
// boundaries), sent data loses every CR.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/outgoing.h"
#include "protocol/result.h"

namespace kovw::protocol {

// --- Fetch from the daemon ---

inline constexpr int kFetchFile = 1;         // into a local file
inline constexpr int kFetchBuffer = 2;       // into a buffer of a given size
inline constexpr int kFetchListing = 3;      // a directory listing of 286-byte entries
inline constexpr int kFetchTexts = 4;        // several named texts
inline constexpr int kFetchWholeBuffer = 5;  // into a buffer

inline constexpr std::int32_t kFetchFlagText = 0x01;
inline constexpr std::int32_t kFetchFlagBase = 0x10;
inline constexpr std::int32_t kFetchFlagProgram = 0x50;  // with KWK_KSKOVW

// Daemon versions that change the fetch.
inline constexpr int kDaemonSkovw = 0x70006;       // above: KWK_KSKOVW for program threads
inline constexpr int kDaemonNoSize = 0x70007;      // above: no KSIZE for program threads
inline constexpr int kDaemonInfoHeader = 0x7000B;  // above: info header; listings
inline constexpr int kDaemonTexts = 0x7000C;       // above: named texts

inline constexpr std::int32_t kFetchBlockSize = 1024;

struct FetchRequest {
  int mode = kFetchFile;
  std::string host_name;           // host text; mode 4: the first name
  std::vector<std::string> names;  // mode 4: the names asked for
  bool text_mode = false;
  bool for_program = false;  // a program thread asked
  std::int32_t block_size = kFetchBlockSize;
  std::int32_t start_offset = 0;
  std::int32_t further = 0;  // the further request value
  std::uint64_t in_out = 0;  // modes 2 and 5: the size of the target buffer
};

// The mode's request flag (0x20, 0x80, 0x100, 0x40; 0 for mode 1).
std::int32_t fetch_mode_flag(int mode);
// Whether a daemon of `daemon_version` serves `mode` (modes 3 and 4 need newer ones).
bool fetch_mode_supported(int mode, int daemon_version);
// The request message for `request` to a daemon of `daemon_version`.
Outgoing build_fetch_request(const FetchRequest& request, int daemon_version);
Result<FetchRequest> parse_fetch_request(int type, std::span<const std::uint8_t> payload);

// How the daemon's answer begins.
enum class FetchAnswer {
  SizeFirst,   // KWK_KSIZE (int size), then data frames
  InfoHeader,  // the first data frame begins with three ints: time, size low, size high
  PlainData,   // data frames from the start
};
FetchAnswer fetch_answer_kind(bool for_program, int daemon_version);

struct FetchInfo {
  std::int64_t file_time = 0;
  std::uint64_t size = 0;
};
// Reads the info header from the front of `payload`; the data that follows it is returned in
// `rest`.
Result<FetchInfo> parse_fetch_info(std::span<const std::uint8_t> payload,
                                   std::span<const std::uint8_t>& rest);
std::vector<std::uint8_t> build_fetch_info(const FetchInfo& info);

// KWK_KOMFAIL of a fetch: int, error text.
struct FetchFailure {
  std::int32_t code = 0;
  std::string text;
};
Result<FetchFailure> parse_fetch_failure(std::span<const std::uint8_t> payload);

// --- Program-link transfers ---

inline constexpr std::int32_t kTransferText = 0x001;
inline constexpr std::int32_t kTransferEncrypted = 0x002;
inline constexpr std::int32_t kTransferTime = 0x004;
inline constexpr std::int32_t kTransferDisplayName = 0x008;
inline constexpr std::int32_t kTransferBlockSize = 0x010;  // uploads
inline constexpr std::int32_t kTransferWritable = 0x200;   // downloads

inline constexpr std::size_t kTransferNameMax = 255;
inline constexpr std::size_t kTransferDisplayMax = 259;
inline constexpr const char* kDefaultDisplayName = "Host";
// The largest upload block a host may ask for.
inline constexpr std::int32_t kUploadBlockMax = 1 << 20;

struct DownloadStart {
  std::string target;  // host text
  std::int32_t size = 0;
  std::int32_t flags = 0;
  std::string key;  // hexadecimal, with kTransferEncrypted
  std::optional<std::int64_t> file_time;
  std::string display_name = kDefaultDisplayName;
};
Result<DownloadStart> parse_download_start(int type, std::span<const std::uint8_t> payload);
Outgoing build_download_start(int type, const DownloadStart& start);

struct UploadRequest {
  std::string source;  // host text
  std::int32_t flags = 0;
  std::string key;
  std::string display_name = kDefaultDisplayName;
  std::int32_t block_size = kFetchBlockSize;
};
Result<UploadRequest> parse_upload_request(int type, std::span<const std::uint8_t> payload);
Outgoing build_upload_request(int type, const UploadRequest& request);

// One upload block: type KWK_KDATA, one byte-string field.
Outgoing build_upload_block(std::span<const std::uint8_t> block);
Result<std::span<const std::uint8_t>> parse_upload_block(std::span<const std::uint8_t> payload);

// The closing answer of a download (KWK_KSDATEI) or upload (KWK_KFGET): the text, the error
// code and the file time (int width 8).
struct TransferAnswer {
  std::string text;
  std::int32_t error = 0;
  std::int64_t file_time = 0;
};
Outgoing build_transfer_answer(int type, const TransferAnswer& answer);
Result<TransferAnswer> parse_transfer_answer(std::span<const std::uint8_t> payload);
// The answer text of `error`: the error-text table's text, after the number and a blank on
// failure; at most kFileAnswerTextMax bytes.
std::string transfer_answer_text(std::int32_t error, bool german);

// The 16 bytes of a transfer key sent as hexadecimal text (32 digits, either case); nullopt
// for any other text.
std::optional<std::vector<std::uint8_t>> transfer_key_bytes(std::string_view hex);

// --- Text mode ---

// LF -> CR LF for each LF without a CR before it; the CR that ended the previous block counts.
class LineEndExpander {
 public:
  void expand(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out);
  void reset() { last_was_cr_ = false; }

 private:
  bool last_was_cr_ = false;
};

// Appends `in` without its CR bytes.
void drop_carriage_returns(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out);

}  // namespace kovw::protocol
