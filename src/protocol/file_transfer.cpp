#include "protocol/file_transfer.h"

#include "foundation/error_text.h"
#include "net/link_names.h"
#include "protocol/payload_codec.h"
#include "protocol/program/host_requests.h"

namespace kovw::protocol {

// --- Fetch from the daemon ---

std::int32_t fetch_mode_flag(int mode) {
  switch (mode) {
    case kFetchBuffer:
      return 0x20;
    case kFetchListing:
      return 0x80;
    case kFetchTexts:
      return 0x100;
    case kFetchWholeBuffer:
      return 0x40;
    default:
      return 0;
  }
}

bool fetch_mode_supported(int mode, int daemon_version) {
  if (mode == kFetchListing) return daemon_version > kDaemonInfoHeader;
  if (mode == kFetchTexts) return daemon_version > kDaemonTexts;
  return mode >= kFetchFile && mode <= kFetchWholeBuffer;
}

Outgoing build_fetch_request(const FetchRequest& request, int daemon_version) {
  const bool skovw = request.for_program && daemon_version > kDaemonSkovw;
  Outgoing out{net::KWD_KOMM, skovw ? net::KWK_KSKOVW : net::KWK_KSDATEI, {}};
  PayloadWriter write(out.payload);
  write.text(request.mode == kFetchTexts && !request.names.empty() ? request.names.front()
                                                                   : request.host_name);
  std::int32_t flags = skovw ? kFetchFlagProgram : kFetchFlagBase;
  if (request.text_mode) flags |= kFetchFlagText;
  flags |= fetch_mode_flag(request.mode);
  write.int_field(flags);
  if (request.mode == kFetchTexts) {
    write.int_field(static_cast<std::int32_t>(request.names.size()));
    for (const std::string& name : request.names) write.text(name);
    return out;
  }
  write.int_field(request.block_size);
  write.int_field(request.start_offset);
  write.int_field(static_cast<std::uint32_t>(request.in_out & 0xFFFFFFFFu));
  write.int_field(request.further);
  write.int_field(static_cast<std::uint32_t>(request.in_out >> 32));
  return out;
}

Result<FetchRequest> parse_fetch_request(int type, std::span<const std::uint8_t> payload) {
  PayloadReader in(payload);
  FetchRequest request;
  request.host_name = in.text("host name", 1023);
  const std::int32_t flags = in.int_field("flags");
  request.for_program = type == net::KWK_KSKOVW;
  request.text_mode = (flags & kFetchFlagText) != 0;
  // KWK_KSKOVW's base flag 0x50 holds mode 5's bit: there the two cannot be told apart.
  const std::int32_t mode_bits =
      flags & ~(request.for_program ? kFetchFlagProgram : kFetchFlagBase);
  request.mode = kFetchFile;
  for (const int mode : {kFetchBuffer, kFetchListing, kFetchTexts, kFetchWholeBuffer}) {
    if (mode_bits & fetch_mode_flag(mode)) request.mode = mode;
  }
  if (request.mode == kFetchTexts) {
    const std::int32_t count = in.int_field("count");
    if (in.ok() && (count < 0 || count > 256)) in.fail(ParseError::kCountTooLarge, "count");
    for (std::int32_t i = 0; in.ok() && i < count; ++i)
      request.names.push_back(in.text("name", 1023));
    return in.finish(std::move(request));
  }
  request.block_size = in.int_field("block size");
  request.start_offset = in.int_field("start offset");
  const auto low = static_cast<std::uint32_t>(in.int_field("value low"));
  request.further = in.int_field("further value");
  const auto high = static_cast<std::uint32_t>(in.int_field("value high"));
  request.in_out = (static_cast<std::uint64_t>(high) << 32) | low;
  return in.finish(std::move(request));
}

FetchAnswer fetch_answer_kind(bool for_program, int daemon_version) {
  if (!for_program || daemon_version <= kDaemonNoSize) return FetchAnswer::SizeFirst;
  if (daemon_version > kDaemonInfoHeader) return FetchAnswer::InfoHeader;
  return FetchAnswer::PlainData;
}

namespace {

// The info header's ints are raw 4-byte little-endian values at the front of the data.
std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void put_le32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

inline constexpr std::size_t kFetchInfoSize = 12;

Result<FetchInfo> parse_fetch_info(std::span<const std::uint8_t> payload,
                                   std::span<const std::uint8_t>& rest) {
  if (payload.size() < kFetchInfoSize)
    return ParseFailure{ParseError::kTruncated, "fetch info: shorter than 12 bytes"};
  FetchInfo info;
  info.file_time = static_cast<std::int32_t>(le32(payload.data()));
  info.size = static_cast<std::uint64_t>(le32(payload.data() + 8)) << 32 | le32(payload.data() + 4);
  rest = payload.subspan(kFetchInfoSize);
  return info;
}

std::vector<std::uint8_t> build_fetch_info(const FetchInfo& info) {
  std::vector<std::uint8_t> out;
  put_le32(out, static_cast<std::uint32_t>(info.file_time));
  put_le32(out, static_cast<std::uint32_t>(info.size & 0xFFFFFFFFu));
  put_le32(out, static_cast<std::uint32_t>(info.size >> 32));
  return out;
}

Result<FetchFailure> parse_fetch_failure(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload);
  FetchFailure failure;
  failure.code = in.more() ? in.int_field("code") : 0;
  failure.text = in.more() ? in.text("error text", 1023) : std::string();
  return in.finish(std::move(failure));
}

// --- Program-link transfers ---

namespace {

const char* transfer_name(int type) {
  const char* name = net::type_name(net::KWD_KOMM, type);
  return name ? name : "transfer";
}

}  // namespace

Result<DownloadStart> parse_download_start(int type, std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, transfer_name(type));
  DownloadStart start;
  start.target = in.text("target", kTransferNameMax);
  start.size = in.int_field("size");
  start.flags = in.int_field("flags");
  if (start.flags & kTransferEncrypted) start.key = in.text("key", 64);
  if (start.flags & kTransferTime) start.file_time = in.int_field("file time");
  if (start.flags & kTransferDisplayName) start.display_name = in.text("name", kTransferDisplayMax);
  return in.finish(std::move(start));
}

Outgoing build_download_start(int type, const DownloadStart& start) {
  Outgoing out{net::KWD_KOMM, type, {}};
  PayloadWriter write(out.payload);
  write.text(start.target).int_field(start.size).int_field(start.flags);
  if (start.flags & kTransferEncrypted) write.text(start.key);
  if (start.flags & kTransferTime) write.int_field(start.file_time.value_or(0));
  if (start.flags & kTransferDisplayName) write.text(start.display_name);
  return out;
}

Result<UploadRequest> parse_upload_request(int type, std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, transfer_name(type));
  UploadRequest request;
  request.source = in.text("source", kTransferNameMax);
  in.int_field("unused");
  request.flags = in.int_field("flags");
  if (request.flags & kTransferEncrypted) request.key = in.text("key", 64);
  if (request.flags & kTransferTime) in.int_field("file time");
  if (request.flags & kTransferDisplayName)
    request.display_name = in.text("name", kTransferDisplayMax);
  if (request.flags & kTransferBlockSize) {
    request.block_size = in.int_field("block size");
    if (in.ok() && (request.block_size <= 0 || request.block_size > kUploadBlockMax))
      in.fail(ParseError::kMalformed, std::string(transfer_name(type)) + ": block size " +
                                          std::to_string(request.block_size) + " out of range");
  }
  return in.finish(std::move(request));
}

Outgoing build_upload_request(int type, const UploadRequest& request) {
  Outgoing out{net::KWD_KOMM, type, {}};
  PayloadWriter write(out.payload);
  write.text(request.source).int_field(0).int_field(request.flags);
  if (request.flags & kTransferEncrypted) write.text(request.key);
  if (request.flags & kTransferTime) write.int_field(0);
  if (request.flags & kTransferDisplayName) write.text(request.display_name);
  if (request.flags & kTransferBlockSize) write.int_field(request.block_size);
  return out;
}

Outgoing build_upload_block(std::span<const std::uint8_t> block) {
  Outgoing out{net::KWD_KOMM, net::KWK_KDATA, {}};
  out.payload.reserve(block.size() + 8);
  PayloadWriter(out.payload).bytes(block);
  return out;
}

Result<std::span<const std::uint8_t>> parse_upload_block(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KDATA");
  const auto block = in.bytes("block");
  return in.finish(block);
}

Outgoing build_transfer_answer(int type, const TransferAnswer& answer) {
  Outgoing out{net::KWD_KOMM, type, {}};
  PayloadWriter write(out.payload);
  std::string text = answer.text;
  if (text.size() > kFileAnswerTextMax) text.resize(kFileAnswerTextMax);
  write.text(text).int_field(answer.error).int_field(answer.file_time, 8);
  return out;
}

Result<TransferAnswer> parse_transfer_answer(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "transfer answer");
  TransferAnswer answer;
  answer.text = in.text("text");
  answer.error = in.int_field("error");
  answer.file_time = in.int64_field("file time");
  return in.finish(std::move(answer));
}

std::string transfer_answer_text(std::int32_t error, bool german) {
  std::string text = foundation::error_text(error, german);
  if (error != 0) text = std::to_string(error) + " " + text;
  if (text.size() > kFileAnswerTextMax) text.resize(kFileAnswerTextMax);
  return text;
}

std::optional<std::vector<std::uint8_t>> transfer_key_bytes(std::string_view hex) {
  if (hex.size() != 32) return std::nullopt;
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]), low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
  }
  return bytes;
}

// --- Text mode ---

void LineEndExpander::expand(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out) {
  out.reserve(out.size() + in.size() + in.size() / 16);
  for (const std::uint8_t byte : in) {
    if (byte == '\n' && !last_was_cr_) out.push_back('\r');
    out.push_back(byte);
    last_was_cr_ = byte == '\r';
  }
}

void drop_carriage_returns(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out) {
  out.reserve(out.size() + in.size());
  for (const std::uint8_t byte : in)
    if (byte != '\r') out.push_back(byte);
}

}  // namespace kovw::protocol
