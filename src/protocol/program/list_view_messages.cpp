#include "protocol/program/list_view_messages.h"

#include <algorithm>

#include "net/fields.h"
#include "net/link_names.h"
#include "protocol/payload_codec.h"
#include "protocol/program/menu_records.h"

namespace kovw::protocol {

namespace {

void put_records(PayloadWriter& out, const std::vector<Bytes>& records, std::size_t size) {
  Bytes all(records.size() * size, 0);
  for (std::size_t i = 0; i < records.size(); ++i)
    std::copy_n(records[i].begin(), std::min(size, records[i].size()), all.begin() + i * size);
  out.bytes(all);
}
std::vector<Bytes> split(std::span<const std::uint8_t> data, std::size_t size) {
  std::vector<Bytes> records;
  for (std::size_t at = 0; at + size <= data.size(); at += size)
    records.push_back(to_bytes(data.subspan(at, size)));
  return records;
}

}  // namespace

Outgoing build_view_definition(int type, std::span<const std::uint8_t> definition) {
  Outgoing out{net::KWD_LIST, type, {}};
  PayloadWriter write(out.payload);
  write.bytes(definition);
  return out;
}

Result<Bytes> parse_view_definition(int type, std::span<const std::uint8_t> payload) {
  const bool tree = type == net::KWK_LTREE;
  PayloadReader in(payload, tree ? "KWK_LTREE" : "KWK_LLIST");
  const auto definition = in.bytes("definition");
  const std::size_t header = tree ? kTreeHeaderSize : kListHeaderSize;
  if (in.ok() && definition.size() < header)
    in.fail(ParseError::kTruncated, "definition of " + std::to_string(definition.size()) +
                                        " bytes, shorter than its header");
  return in.finish(to_bytes(definition));
}

Outgoing build_ldialog(const ListDialog& dialog) {
  Outgoing out{net::KWD_LIST, net::KWK_LDIALOG, {}};
  PayloadWriter write(out.payload);
  Bytes header(kListDialogHeaderSize, 0);
  std::copy_n(dialog.header.begin(), std::min(kListDialogHeaderSize, dialog.header.size()),
              header.begin());
  put_le16(header.data(), static_cast<std::uint16_t>(dialog.fields.size()));
  put_le16(header.data() + 2, static_cast<std::uint16_t>(dialog.buttons.size()));
  write.bytes(header);
  put_records(write, dialog.fields, kListDialogFieldSize);
  put_records(write, dialog.buttons, kListDialogButtonSize);
  write.int_field(static_cast<std::int64_t>(dialog.data.size()));
  write.bytes(dialog.data);
  return out;
}

Result<ListDialog> parse_ldialog(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_LDIALOG");
  ListDialog dialog;
  const auto header = in.record("header", kListDialogHeaderSize);
  const std::int64_t field_count = in.ok() ? static_cast<std::int16_t>(le16(header.data())) : 0;
  const std::int64_t button_count =
      in.ok() ? static_cast<std::int16_t>(le16(header.data() + 2)) : 0;
  const auto fields = in.records("field records", field_count, kListDialogFieldSize);
  const auto buttons = in.records("button records", button_count, kListDialogButtonSize);
  const std::int32_t length = in.int_field("data length");
  const auto data = in.records("data block", length, 1);
  if (!in.ok()) return in.finish(std::move(dialog));
  dialog.header = to_bytes(header);
  dialog.fields = split(fields, kListDialogFieldSize);
  dialog.buttons = split(buttons, kListDialogButtonSize);
  dialog.data = to_bytes(data);
  for (const Bytes& field : dialog.fields) {
    const std::size_t field_length = le16(field.data() + kListFieldLengthOffset);
    const std::size_t position = le16(field.data() + kListFieldPositionOffset);
    if (position > data.size() || field_length > data.size() - position) {
      in.fail(ParseError::kBadRecord, "field value at " + std::to_string(position) + " (" +
                                          std::to_string(field_length) +
                                          " bytes) outside the data block");
      break;
    }
  }
  return in.finish(std::move(dialog));
}

Outgoing build_linfo(const ListInfo& info) {
  Outgoing out{net::KWD_LIST, net::KWK_LINFO, {}};
  PayloadWriter write(out.payload);
  Bytes header(kListInfoHeaderSize, 0);
  std::copy_n(info.header.begin(), std::min(kListInfoHeaderSize, info.header.size()),
              header.begin());
  write.bytes(header);
  write.int_field(static_cast<std::int64_t>(info.data.size()));
  write.bytes(info.data);
  return out;
}

Result<ListInfo> parse_linfo(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_LINFO");
  ListInfo info;
  info.header = to_bytes(in.record("header", kListInfoHeaderSize));
  const std::int32_t length = in.int_field("length");
  info.data = to_bytes(in.records("data", length, 1));
  return in.finish(std::move(info));
}

Outgoing build_lantw(const ListAnswer& answer) {
  Outgoing out{net::KWD_LIST, net::KWK_LANTW, {}};
  PayloadWriter write(out.payload);
  write.int_field(answer.event);
  write.text(answer.text);
  for (const std::int32_t v : answer.values) write.int_field(v);
  return out;
}

Result<ListAnswer> parse_lantw(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_LANTW");
  ListAnswer answer;
  answer.event = in.int_field("event");
  answer.text = in.text("text");
  for (std::int32_t& v : answer.values) v = in.int_field("value");
  return in.finish(std::move(answer));
}

Outgoing build_lantwdia(const ListDialogAnswer& answer) {
  Outgoing out{net::KWD_LIST, net::KWK_LANTWDIA, {}};
  PayloadWriter write(out.payload);
  write.int_field(answer.result);
  write.int_field(static_cast<std::int64_t>(answer.data.size()));
  write.bytes(answer.data);
  return out;
}

Result<ListDialogAnswer> parse_lantwdia(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_LANTWDIA");
  ListDialogAnswer answer;
  answer.result = in.int_field("result");
  const std::int32_t length = in.int_field("length");
  answer.data = to_bytes(in.records("data", length, 1));
  return in.finish(std::move(answer));
}

ListCursor parse_lcursor(std::span<const std::uint8_t> payload) {
  if (payload.empty()) return ListCursor::kArrow;
  if (payload[0] == '1') return ListCursor::kAppStarting;
  if (payload[0] == '2') return ListCursor::kWait;
  return ListCursor::kArrow;
}

}  // namespace kovw::protocol
