#include "protocol/program/program_window.h"

#include <algorithm>
#include <cstring>

#include "foundation/host_text.h"
#include "net/fields.h"
#include "net/link_names.h"
#include "protocol/payload_codec.h"
#include "protocol/program/menu_records.h"
#include "protocol/program/retc.h"

namespace kovw::protocol {

namespace {

std::int16_t s16(const std::uint8_t* p) {
  return static_cast<std::int16_t>(le16(p));
}

}  // namespace

Outgoing build_raw_text(int service, int type, const std::string& text) {
  Outgoing out{service, type, Bytes(text.begin(), text.end())};
  out.payload.push_back(0);
  return out;
}

std::string parse_raw_text(std::span<const std::uint8_t> payload) {
  return text_before_zero(payload);
}

std::u16string MessageBoxRequest::wide_text() const {
  return foundation::host_to_wide(text, (flags & kMeldeUtf8) ? foundation::kTextUtf8 : 0);
}

Outgoing build_wmelde(const MessageBoxRequest& message) {
  Outgoing out{net::KWD_WIN, net::KWK_WMELDE, {}};
  PayloadWriter write(out.payload);
  write.int_field(message.flags);
  write.int_field(static_cast<std::int64_t>(message.text.size()));
  write.bytes(message.text);
  return out;
}

Result<MessageBoxRequest> parse_wmelde(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_WMELDE");
  MessageBoxRequest message;
  message.flags = in.int_field("flags");
  const std::int32_t length = in.int_field("length");
  message.text = text_before_zero(in.records("text", length, 1));
  return in.finish(std::move(message));
}

Outgoing build_wmelde_answer(bool positive) {
  return build_retc(net::KWD_WIN, net::KWK_WMELDE, {positive ? kMeldePositive : kMeldeNegative});
}

Outgoing build_wdiac(const FieldRequestMessage& message) {
  Outgoing out{net::KWD_WIN, net::KWK_WDIAC, {}};
  PayloadWriter write(out.payload);
  write.padded_bytes(message.descriptor, kFieldRequestSize);
  write.text(message.help);
  write.bytes(message.contents);
  return out;
}

Result<FieldRequestMessage> parse_wdiac(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_WDIAC");
  FieldRequestMessage message;
  message.descriptor = to_bytes(in.record("field request", kFieldRequestSize));
  message.help = in.text("help text", kFieldTextMax);
  message.contents = in.text("contents", kFieldTextMax);
  return in.finish(std::move(message));
}

Outgoing build_field_reply(const FieldReply& reply) {
  Outgoing out{net::KWD_WIN, net::KWK_WDIAC, {}};
  PayloadWriter write(out.payload);
  std::uint8_t record[kFieldReplySize] = {};
  const std::size_t length = std::min<std::size_t>(reply.text.size(), 0x7fff);
  put_le16(record + 0, static_cast<std::uint16_t>(reply.exit_key));
  put_le16(record + 2, static_cast<std::uint16_t>(length));
  put_le16(record + 4, static_cast<std::uint16_t>(reply.cursor));
  put_le16(record + 6, static_cast<std::uint16_t>(reply.mouse_column));
  put_le16(record + 8, static_cast<std::uint16_t>(reply.mouse_row));
  put_le16(record + 10, static_cast<std::uint16_t>(reply.mouse_info));
  write.bytes(std::span<const std::uint8_t>(record, kFieldReplySize));
  write.bytes(std::string_view(reply.text).substr(0, length));
  return out;
}

Result<FieldReply> parse_field_reply(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_WDIAC answer");
  FieldReply reply;
  const auto record = in.record("field reply", kFieldReplySize);
  const auto text = in.bytes("contents");
  if (!in.ok()) return in.finish(std::move(reply));
  reply.exit_key = s16(record.data());
  const std::int16_t length = s16(record.data() + 2);
  reply.cursor = s16(record.data() + 4);
  reply.mouse_column = s16(record.data() + 6);
  reply.mouse_row = s16(record.data() + 8);
  reply.mouse_info = s16(record.data() + 10);
  if (length < 0 || static_cast<std::size_t>(length) > text.size()) {
    in.fail(ParseError::kCountTooLarge, "reply announces " + std::to_string(length) +
                                            " content bytes, " + std::to_string(text.size()) +
                                            " sent");
  } else {
    reply.text.assign(reinterpret_cast<const char*>(text.data()), static_cast<std::size_t>(length));
  }
  return in.finish(std::move(reply));
}

std::uint16_t EditRequestMessage::text_capacity() const {
  return descriptor.size() >= 4 ? le16(descriptor.data() + 2) : 0;
}

Outgoing build_wedit(const EditRequestMessage& message) {
  Outgoing out{net::KWD_WIN, net::KWK_WEDIT, {}};
  PayloadWriter write(out.payload);
  write.bytes(message.descriptor);
  write.text(message.help);
  write.bytes(message.text);
  return out;
}

Result<EditRequestMessage> parse_wedit(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_WEDIT");
  EditRequestMessage message;
  const auto descriptor = in.bytes("edit request");
  if (in.ok() && descriptor.size() < kEditRequestMinSize)
    in.fail(ParseError::kTruncated, "edit request of " + std::to_string(descriptor.size()) +
                                        " bytes, at least 28 expected");
  message.descriptor = to_bytes(descriptor);
  message.help = in.text("help text", kFieldTextMax);
  const auto text = in.bytes("text");
  if (in.ok() && text.size() > message.text_capacity())
    in.fail(ParseError::kTextTooLong, "text of " + std::to_string(text.size()) +
                                          " bytes, capacity " +
                                          std::to_string(message.text_capacity()));
  message.text = to_bytes(text);
  return in.finish(std::move(message));
}

Outgoing build_edit_reply(const EditReply& reply) {
  Outgoing out{net::KWD_WIN, net::KWK_WEDIT, {}};
  PayloadWriter write(out.payload);
  std::uint8_t record[kEditReplySize] = {};
  const std::size_t length = std::min<std::size_t>(reply.text.size(), 0x7fff);
  put_le32(record + 0, kEditReplySize);
  put_le16(record + 6, static_cast<std::uint16_t>(reply.exit_key));
  put_le16(record + 24, static_cast<std::uint16_t>(length));
  put_le16(record + 26, static_cast<std::uint16_t>(reply.modified));
  put_le32(record + 28, static_cast<std::uint32_t>(reply.mouse_x));
  put_le32(record + 32, static_cast<std::uint32_t>(reply.mouse_y));
  put_le16(record + 36, static_cast<std::uint16_t>(reply.mouse_info));
  write.bytes(std::span<const std::uint8_t>(record, kEditReplySize));
  write.bytes(std::span<const std::uint8_t>(reply.text.data(), length));
  write.int_field(reply.object);
  if (reply.exit_key == kEditPointerKey)
    write.padded_bytes(reply.pointer_record.value_or(Bytes{}), kEditPointerRecordSize);
  return out;
}

Result<EditReply> parse_edit_reply(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_WEDIT answer");
  EditReply reply;
  const auto record = in.record("edit reply", kEditReplySize);
  const auto text = in.bytes("text");
  reply.object = in.int_field("object");
  if (!in.ok()) return in.finish(std::move(reply));
  reply.exit_key = s16(record.data() + 6);
  const std::int16_t length = s16(record.data() + 24);
  reply.modified = s16(record.data() + 26);
  reply.mouse_x = static_cast<std::int32_t>(le32(record.data() + 28));
  reply.mouse_y = static_cast<std::int32_t>(le32(record.data() + 32));
  reply.mouse_info = s16(record.data() + 36);
  if (length < 0 || static_cast<std::size_t>(length) > text.size())
    in.fail(ParseError::kCountTooLarge, "reply announces " + std::to_string(length) +
                                            " text bytes, " + std::to_string(text.size()) +
                                            " sent");
  else
    reply.text.assign(text.begin(), text.begin() + length);
  if (reply.exit_key == kEditPointerKey)
    reply.pointer_record = to_bytes(in.record("pointer record", kEditPointerRecordSize));
  return in.finish(std::move(reply));
}

bool is_mouse_key(std::uint16_t code) {
  return std::find(std::begin(kMouseKeyCodes), std::end(kMouseKeyCodes), code) !=
         std::end(kMouseKeyCodes);
}

Outgoing build_key_data(std::span<const KeyEvent> keys) {
  Outgoing out{net::KWD_WIN, net::KWK_WTAST, {}};
  auto put16 = [&out](std::uint16_t v) {
    out.payload.push_back(static_cast<std::uint8_t>(v >> 8));
    out.payload.push_back(static_cast<std::uint8_t>(v));
  };
  for (const KeyEvent& key : keys) {
    put16(key.code);
    // Only events carry values: 0x01CC alone is a host function key (Ctrl+X, Ctrl+Delete).
    if (key.mouse) {
      for (const std::uint16_t v : *key.mouse) put16(v);
    }
  }
  return out;
}

Result<std::vector<KeyEvent>> parse_key_data(std::span<const std::uint8_t> payload) {
  if (payload.size() % 2 != 0)
    return ParseFailure{ParseError::kMalformed, "key data of odd length"};
  std::vector<KeyEvent> keys;
  std::size_t at = 0;
  auto get16 = [&]() {
    const auto v = static_cast<std::uint16_t>((payload[at] << 8) | payload[at + 1]);
    at += 2;
    return v;
  };
  while (at < payload.size()) {
    KeyEvent key;
    key.code = get16();
    if (is_mouse_key(key.code)) {
      if (payload.size() - at < 6)
        return ParseFailure{ParseError::kTruncated, "mouse event without its three values"};
      key.mouse = std::array<std::uint16_t, 3>{get16(), get16(), get16()};
    }
    keys.push_back(key);
  }
  return keys;
}

}  // namespace kovw::protocol
