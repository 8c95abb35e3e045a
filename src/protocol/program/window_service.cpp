#include "protocol/program/window_service.h"

#include <algorithm>

#include "net/fields.h"
#include "net/link_names.h"
#include "protocol/program/host_versions.h"
#include "protocol/program/item_reader.h"

namespace kovw::protocol {

namespace {

constexpr int kGetExValues = 12;

Bytes to_bytes(std::span<const std::uint8_t> view) {
  return Bytes(view.begin(), view.end());
}
void put_raw(Bytes& out, std::span<const std::uint8_t> data) {
  net::put_bytes_field(out, data.data(), data.size());
}
void put_sized(Bytes& out, std::span<const std::uint8_t> data, std::size_t size) {
  Bytes record(size, 0);
  std::copy_n(data.begin(), std::min(size, data.size()), record.begin());
  put_raw(out, record);
}

}  // namespace

Outgoing build_grefr(const ItemState& message) {
  Outgoing out{net::KWD_DIGRA, net::KWK_GREFR, {}};
  put_int(out.payload, message.item);
  put_int(out.payload, message.state);
  return out;
}

Result<ItemState> parse_grefr(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_GREFR");
  ItemState message;
  message.item = in.integer("item id");
  message.state = in.integer("state");
  return in.finish(message);
}

Outgoing build_gktext(const ItemText& message) {
  Outgoing out{net::KWD_DIGRA, net::KWK_GKTEXT, {}};
  put_int(out.payload, message.item);
  put_text(out.payload, message.text);
  put_text(out.payload, message.tip);
  return out;
}

Result<ItemText> parse_gktext(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_GKTEXT");
  ItemText message;
  message.item = in.integer("item id");
  message.text = in.text("text", kItemTextMax);
  message.tip = in.text("tip", kItemTipMax);
  return in.finish(std::move(message));
}

Outgoing build_font_request(int type, const FontRequest& message) {
  Outgoing out{net::KWD_DIGRA, type, {}};
  put_int(out.payload, message.font);
  put_int(out.payload, message.size);
  put_int(out.payload, message.options);
  return out;
}

Result<FontRequest> parse_font_request(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "font request");
  FontRequest message;
  message.font = in.integer("font number");
  message.size = in.integer("size");
  message.options = in.integer("options");
  return in.finish(message);
}

Outgoing build_font_info(int type, const FontInfo& answer, std::int32_t host_version) {
  Outgoing out{net::KWD_DIGRA, type, {}};
  for (const std::int32_t v : answer.metrics) put_int(out.payload, v);
  put_text(out.payload, answer.name);
  if (type != net::KWK_GFONT) return out;
  for (const std::int32_t v : answer.world_widths) put_int(out.payload, v);
  for (const std::int32_t v : answer.device_widths) put_int(out.payload, v);
  put_sized(out.payload, answer.world_table, kWidthTableSize);
  put_sized(out.payload, answer.device_table, kWidthTableSize);
  if (host_version >= kVersionGlyphTable)
    put_raw(out.payload, answer.glyph_table.value_or(Bytes{}));
  return out;
}

Result<FontInfo> parse_font_info(int type, std::span<const std::uint8_t> payload,
                                 std::int32_t host_version) {
  ItemReader in(payload, "Send Font Info");
  FontInfo answer;
  for (std::int32_t& v : answer.metrics) v = in.integer("metric");
  answer.name = in.text("font name");
  if (type == net::KWK_GFONT) {
    for (std::int32_t& v : answer.world_widths) v = in.integer("world width");
    for (std::int32_t& v : answer.device_widths) v = in.integer("device width");
    answer.world_table = to_bytes(in.record("world width table", kWidthTableSize));
    answer.device_table = to_bytes(in.record("device width table", kWidthTableSize));
    if (host_version >= kVersionGlyphTable) answer.glyph_table = to_bytes(in.bytes("glyph table"));
  }
  return in.finish(std::move(answer));
}

Outgoing build_gpos(const PositionRequest& message, std::int32_t host_version) {
  Outgoing out{net::KWD_DIGRA, net::KWK_GPOS, {}};
  put_int(out.payload, message.value);
  put_int(out.payload, message.mode);
  if (message.mode >= 3) put_int(out.payload, message.second.value_or(0));
  if (host_version >= kVersionPositionWindow) put_int(out.payload, message.window.value_or(0));
  return out;
}

Result<PositionRequest> parse_gpos(std::span<const std::uint8_t> payload,
                                   std::int32_t host_version) {
  ItemReader in(payload, "KWK_GPOS");
  PositionRequest message;
  message.value = in.integer("value");
  message.mode = in.integer("mode");
  if (message.mode >= 3) message.second = in.integer("second value");
  if (host_version >= kVersionPositionWindow) message.window = in.optional_integer("window id");
  return in.finish(message);
}

Outgoing build_gget(int type, const GetRequest& message) {
  Outgoing out{net::KWD_DIGRA, type, {}};
  put_int(out.payload, message.flags);
  if (!(message.flags & kGetNoTimeout)) {
    const int count = type == net::KWK_GGETEX ? kGetExValues : 1;
    for (int i = 0; i < count; ++i)
      put_int(out.payload, i < static_cast<int>(message.values.size()) ? message.values[i] : 0);
  }
  return out;
}

Result<GetRequest> parse_gget(int type, std::span<const std::uint8_t> payload) {
  ItemReader in(payload, type == net::KWK_GGETEX ? "KWK_GGETEX" : "KWK_GGET");
  GetRequest message;
  message.flags = in.integer("flags");
  if (!(message.flags & kGetNoTimeout)) {
    const int count = type == net::KWK_GGETEX ? kGetExValues : 1;
    for (int i = 0; i < count && in.ok(); ++i) message.values.push_back(in.integer("value"));
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
  put_int(out.payload, value);
  return out;
}

Result<std::int32_t> parse_single_int(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "integer message");
  const std::int32_t value = in.integer("value");
  return in.finish(value);
}

Outgoing build_gvideo(std::span<const std::uint8_t> record) {
  Outgoing out{net::KWD_DIGRA, net::KWK_GVIDEO, {}};
  put_sized(out.payload, record, kVideoRequestSize);
  return out;
}

Result<Bytes> parse_gvideo(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_GVIDEO");
  Bytes record = to_bytes(in.record("request record", kVideoRequestSize));
  return in.finish(std::move(record));
}

Outgoing build_gspeech(const SpeechRequest& message) {
  Outgoing out{net::KWD_DIGRA, KWK_GSPEECH, {}};
  put_sized(out.payload, message.record, kSpeechRequestSize);
  put_raw(out.payload, message.text);
  return out;
}

Result<SpeechRequest> parse_gspeech(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_GSPEECH");
  SpeechRequest message;
  message.record = to_bytes(in.record("request record", kSpeechRequestSize));
  message.text = to_bytes(in.bytes("text"));
  return in.finish(std::move(message));
}

Outgoing build_helper_answer(int type, std::span<const std::uint8_t> record) {
  Outgoing out{net::KWD_DIGRA, type, {}};
  put_sized(out.payload, record, type == net::KWK_GVIDEO ? kVideoAnswerSize : kSpeechAnswerSize);
  return out;
}

Result<Bytes> parse_helper_answer(int type, std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "helper answer");
  Bytes record = to_bytes(
      in.record("result record", type == net::KWK_GVIDEO ? kVideoAnswerSize : kSpeechAnswerSize));
  return in.finish(std::move(record));
}

Outgoing build_creakontext(int service, const std::vector<MenuItemRecord>& items) {
  Outgoing out{service, net::KWK_CREAKONTEXT, {}};
  put_int(out.payload, static_cast<std::int64_t>(items.size()));
  Bytes records;
  for (const MenuItemRecord& record : items)
    records.insert(records.end(), record.begin(), record.end());
  put_raw(out.payload, records);
  return out;
}

Result<std::vector<MenuItemRecord>> parse_creakontext(std::span<const std::uint8_t> payload,
                                                      std::int32_t host_version) {
  ItemReader in(payload, "KWK_CREAKONTEXT");
  const std::int32_t count = in.integer("count");
  const auto records = in.records("menu item records", count, kMenuItemRecordSize);
  std::vector<MenuItemRecord> items;
  if (in.ok()) items = split_menu_records(records, host_version);
  return in.finish(std::move(items));
}

Outgoing build_gfontslot(const FontSlot& message) {
  Outgoing out{net::KWD_DIGRA, KWK_GFONTSLOT, {}};
  put_int(out.payload, message.font);
  put_text(out.payload, message.name);
  return out;
}

Result<FontSlot> parse_gfontslot(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_GFONTSLOT");
  FontSlot message;
  message.font = in.integer("font number");
  message.name = in.text("font name", kFontSlotNameMax);
  return in.finish(std::move(message));
}

Outgoing build_empty(int service, int type) {
  return Outgoing{service, type, {}};
}

}  // namespace kovw::protocol
