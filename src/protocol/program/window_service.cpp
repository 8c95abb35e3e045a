#include "protocol/program/window_service.h"

#include <algorithm>

#include "net/fields.h"
#include "net/link_names.h"
#include "protocol/described_message.h"
#include "protocol/payload_codec.h"
#include "protocol/program/host_versions.h"

namespace kovw::protocol {

namespace {

constexpr int kGetExValues = 12;

}  // namespace

Outgoing build_grefr(const ItemState& message) {
  return build_described(net::KWD_DIGRA, net::KWK_GREFR, message);
}

Result<ItemState> parse_grefr(std::span<const std::uint8_t> payload) {
  return parse_described<ItemState>(payload, "KWK_GREFR");
}

Outgoing build_gktext(const ItemText& message) {
  return build_described(net::KWD_DIGRA, net::KWK_GKTEXT, message);
}

Result<ItemText> parse_gktext(std::span<const std::uint8_t> payload) {
  return parse_described<ItemText>(payload, "KWK_GKTEXT");
}

Outgoing build_font_request(int type, const FontRequest& message) {
  Outgoing out{net::KWD_DIGRA, type, {}};
  PayloadWriter write(out.payload);
  write.int_field(message.font);
  write.int_field(message.size);
  write.int_field(message.options);
  return out;
}

Result<FontRequest> parse_font_request(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "font request");
  FontRequest message;
  message.font = in.int_field("font number");
  message.size = in.int_field("size");
  message.options = in.int_field("options");
  return in.finish(message);
}

Outgoing build_font_info(int type, const FontInfo& answer, std::int32_t host_version) {
  Outgoing out{net::KWD_DIGRA, type, {}};
  PayloadWriter write(out.payload);
  for (const std::int32_t v : answer.metrics) write.int_field(v);
  write.text(answer.name);
  if (type != net::KWK_GFONT) return out;
  for (const std::int32_t v : answer.world_widths) write.int_field(v);
  for (const std::int32_t v : answer.device_widths) write.int_field(v);
  write.padded_bytes(answer.world_table, kWidthTableSize);
  write.padded_bytes(answer.device_table, kWidthTableSize);
  if (host_version >= kVersionGlyphTable) write.bytes(answer.glyph_table.value_or(Bytes{}));
  return out;
}

Result<FontInfo> parse_font_info(int type, std::span<const std::uint8_t> payload,
                                 std::int32_t host_version) {
  PayloadReader in(payload, "Send Font Info");
  FontInfo answer;
  for (std::int32_t& v : answer.metrics) v = in.int_field("metric");
  answer.name = in.text("font name");
  if (type == net::KWK_GFONT) {
    for (std::int32_t& v : answer.world_widths) v = in.int_field("world width");
    for (std::int32_t& v : answer.device_widths) v = in.int_field("device width");
    answer.world_table = to_bytes(in.record("world width table", kWidthTableSize));
    answer.device_table = to_bytes(in.record("device width table", kWidthTableSize));
    if (host_version >= kVersionGlyphTable) answer.glyph_table = to_bytes(in.bytes("glyph table"));
  }
  return in.finish(std::move(answer));
}

Outgoing build_gpos(const PositionRequest& message, std::int32_t host_version) {
  Outgoing out{net::KWD_DIGRA, net::KWK_GPOS, {}};
  PayloadWriter write(out.payload);
  write.int_field(message.value);
  write.int_field(message.mode);
  if (message.mode >= 3) write.int_field(message.second.value_or(0));
  if (host_version >= kVersionPositionWindow) write.int_field(message.window.value_or(0));
  return out;
}

Result<PositionRequest> parse_gpos(std::span<const std::uint8_t> payload,
                                   std::int32_t host_version) {
  PayloadReader in(payload, "KWK_GPOS");
  PositionRequest message;
  message.value = in.int_field("value");
  message.mode = in.int_field("mode");
  if (message.mode >= 3) message.second = in.int_field("second value");
  if (host_version >= kVersionPositionWindow) message.window = in.optional_int_field("window id");
  return in.finish(message);
}

Outgoing build_gget(int type, const GetRequest& message) {
  Outgoing out{net::KWD_DIGRA, type, {}};
  PayloadWriter write(out.payload);
  write.int_field(message.flags);
  if (!(message.flags & kGetNoTimeout)) {
    const int count = type == net::KWK_GGETEX ? kGetExValues : 1;
    for (int i = 0; i < count; ++i)
      write.int_field(i < static_cast<int>(message.values.size()) ? message.values[i] : 0);
  }
  return out;
}

Result<GetRequest> parse_gget(int type, std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, type == net::KWK_GGETEX ? "KWK_GGETEX" : "KWK_GGET");
  GetRequest message;
  message.flags = in.int_field("flags");
  if (!(message.flags & kGetNoTimeout)) {
    const int count = type == net::KWK_GGETEX ? kGetExValues : 1;
    for (int i = 0; i < count && in.ok(); ++i) message.values.push_back(in.int_field("value"));
  }
  return in.finish(std::move(message));
}

Outgoing build_gdata(std::span<const std::uint8_t> data) {
  Outgoing out{net::KWD_DIGRA, net::KWK_GDATA, {}};
  const std::size_t length = std::min<std::size_t>(data.size(), 0xffff);
  out.payload.resize(2 + length);
  out.payload[0] = static_cast<std::uint8_t>(length >> 8);
  out.payload[1] = static_cast<std::uint8_t>(length);
  std::copy_n(data.begin(), length, out.payload.begin() + 2);
  return out;
}

Result<Bytes> parse_gdata(std::span<const std::uint8_t> payload) {
  if (payload.size() < 2) return ParseFailure{ParseError::kTruncated, "KWK_GDATA: no length"};
  const std::size_t length = (std::size_t{payload[0]} << 8) | payload[1];
  if (length > payload.size() - 2)
    return ParseFailure{ParseError::kCountTooLarge,
                        "KWK_GDATA: " + std::to_string(length) + " bytes announced, " +
                            std::to_string(payload.size() - 2) + " sent"};
  return to_bytes(payload.subspan(2, length));
}

Outgoing build_single_int(int service, int type, std::int32_t value) {
  Outgoing out{service, type, {}};
  PayloadWriter write(out.payload);
  write.int_field(value);
  return out;
}

Result<std::int32_t> parse_single_int(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "integer message");
  const std::int32_t value = in.int_field("value");
  return in.finish(value);
}

Outgoing build_gvideo(std::span<const std::uint8_t> record) {
  Outgoing out{net::KWD_DIGRA, net::KWK_GVIDEO, {}};
  PayloadWriter write(out.payload);
  write.padded_bytes(record, kVideoRequestSize);
  return out;
}

Result<Bytes> parse_gvideo(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_GVIDEO");
  Bytes record = to_bytes(in.record("request record", kVideoRequestSize));
  return in.finish(std::move(record));
}

Outgoing build_gspeech(const SpeechRequest& message) {
  Outgoing out{net::KWD_DIGRA, KWK_GSPEECH, {}};
  PayloadWriter write(out.payload);
  write.padded_bytes(message.record, kSpeechRequestSize);
  write.bytes(message.text);
  return out;
}

Result<SpeechRequest> parse_gspeech(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_GSPEECH");
  SpeechRequest message;
  message.record = to_bytes(in.record("request record", kSpeechRequestSize));
  message.text = to_bytes(in.bytes("text"));
  return in.finish(std::move(message));
}

Outgoing build_helper_answer(int type, std::span<const std::uint8_t> record) {
  Outgoing out{net::KWD_DIGRA, type, {}};
  PayloadWriter write(out.payload);
  write.padded_bytes(record, type == net::KWK_GVIDEO ? kVideoAnswerSize : kSpeechAnswerSize);
  return out;
}

Result<Bytes> parse_helper_answer(int type, std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "helper answer");
  Bytes record = to_bytes(
      in.record("result record", type == net::KWK_GVIDEO ? kVideoAnswerSize : kSpeechAnswerSize));
  return in.finish(std::move(record));
}

Outgoing build_creakontext(int service, const std::vector<MenuItemRecord>& items) {
  Outgoing out{service, net::KWK_CREAKONTEXT, {}};
  PayloadWriter write(out.payload);
  write.int_field(static_cast<std::int64_t>(items.size()));
  Bytes records;
  for (const MenuItemRecord& record : items)
    records.insert(records.end(), record.begin(), record.end());
  write.bytes(records);
  return out;
}

Result<std::vector<MenuItemRecord>> parse_creakontext(std::span<const std::uint8_t> payload,
                                                      std::int32_t host_version) {
  PayloadReader in(payload, "KWK_CREAKONTEXT");
  const std::int32_t count = in.int_field("count");
  const auto records = in.records("menu item records", count, kMenuItemRecordSize);
  std::vector<MenuItemRecord> items;
  if (in.ok()) items = split_menu_records(records, host_version);
  return in.finish(std::move(items));
}

Outgoing build_gfontslot(const FontSlot& message) {
  return build_described(net::KWD_DIGRA, KWK_GFONTSLOT, message);
}

Result<FontSlot> parse_gfontslot(std::span<const std::uint8_t> payload) {
  return parse_described<FontSlot>(payload, "KWK_GFONTSLOT");
}

Outgoing build_empty(int service, int type) {
  return Outgoing{service, type, {}};
}

}  // namespace kovw::protocol
