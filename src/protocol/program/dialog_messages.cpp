#include "protocol/program/dialog_messages.h"

#include <algorithm>
#include <array>

#include "net/fields.h"
#include "protocol/little_endian.h"
#include "protocol/payload_codec.h"

namespace kovw::protocol {

namespace {

constexpr int kHeaderTag = 5;
constexpr int kButtonTag = 6;
constexpr int kTextTag = 16382;
constexpr std::size_t kHeaderSize = 72;
constexpr std::size_t kButtonSize = 108;

void put16(std::uint8_t* p, int v) {
  put_le16(p, static_cast<std::uint16_t>(v));
}
void put32(std::uint8_t* p, int v) {
  put_le32(p, static_cast<std::uint32_t>(v));
}
int le16s(const std::uint8_t* p) {
  return static_cast<std::int16_t>(le16(p));
}

void put_text(Bytes& out, const std::string& text) {
  std::string field = text;
  field.push_back('\0');
  net::put_tagged_field(out, field.data(), field.size(), kTextTag);
}

}  // namespace

Outgoing build_dialog_definition(int service, int type, const DialogMessage& message) {
  Outgoing out{service, type, {}};
  std::array<std::uint8_t, kHeaderSize> header{};
  put16(&header[0], message.kind);
  put16(&header[2], message.flags);
  put16(&header[4], message.visible_lines);
  put16(&header[6], message.width);
  put16(&header[8], static_cast<int>(message.lines.size()));
  put16(&header[10], static_cast<int>(message.buttons.size()));
  put16(&header[12], message.selected);
  put16(&header[14], message.line_length);
  put16(&header[18], message.input_length);
  put32(&header[56], message.total_lines);
  put32(&header[60], message.first_line);
  net::put_tagged_field(out.payload, header.data(), header.size(), kHeaderTag);
  if (message.kind < 32) {
    for (const DialogMessageButton& button : message.buttons) {
      std::array<std::uint8_t, kButtonSize> record{};
      std::fill(record.begin(), record.begin() + 100, ' ');
      std::copy_n(button.label.begin(), std::min<std::size_t>(button.label.size(), 20),
                  record.begin());
      std::copy_n(button.help.begin(), std::min<std::size_t>(button.help.size(), 80),
                  record.begin() + 20);
      put16(&record[102], button.key);
      put16(&record[104], button.result);
      put16(&record[106], button.flags);
      net::put_tagged_field(out.payload, record.data(), record.size(), kButtonTag);
    }
  }
  if (message.kind <= 32) {
    for (const std::string& line : message.lines) put_text(out.payload, line);
    put_text(out.payload, message.title);
  }
  if (message.kind < 32 && message.input) put_text(out.payload, *message.input);
  return out;
}

Result<DialogReply> parse_dialog_reply(std::span<const std::uint8_t> payload) {
  net::FieldCursor at(payload);
  std::array<std::uint8_t, kHeaderSize> header{};
  std::size_t length = 0;
  if (net::get_tagged_field(at, header, &length, kHeaderTag) < 0 || length != kHeaderSize)
    return ParseFailure{ParseError::kBadRecord, "KWK_GDIALOG answer: no dialog header"};
  DialogReply reply;
  reply.kind = le16s(&header[0]);
  reply.flags = le16s(&header[2]) & 0xFFFF;
  reply.visible_lines = le16s(&header[4]);
  reply.selected = le16s(&header[12]);
  reply.key = header[16];
  reply.changed = header[17];
  reply.first_line = static_cast<std::int32_t>(le32(&header[60]));
  const auto rest = payload.subspan(payload.size() - at.remaining());
  PayloadReader in(rest, "KWK_GDIALOG answer");
  reply.result = in.int_field("result");
  if (!in.ok()) return in.failure();
  if (in.remaining() > 0) {
    net::FieldCursor text(rest.subspan(rest.size() - in.remaining()));
    std::array<std::uint8_t, 1024> buffer{};
    if (net::get_tagged_field(text, buffer, &length, kTextTag) < 0)
      return ParseFailure{ParseError::kMalformed, "KWK_GDIALOG answer: no input text"};
    reply.input = text_before_zero(std::span<const std::uint8_t>(buffer.data(), length));
  }
  return reply;
}

}  // namespace kovw::protocol
