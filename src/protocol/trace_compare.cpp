#include "protocol/trace_compare.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "net/link_names.h"
#include "protocol/described_message_table.h"
#include "protocol/payload_codec.h"

namespace kovw::protocol {

namespace {

// Fields whose values belong to the run, not to the session: the workstation's window handles
// and thread ids.
struct VaryingField {
  int service;
  int type;
  std::string_view name;
};
constexpr std::array kVaryingFields = {
    VaryingField{net::KWD_KOMM, net::KWK_KGETWINID, "content window"},
    VaryingField{net::KWD_KOMM, net::KWK_KGETWINID, "main window"},
    VaryingField{net::KWD_KOMM, net::KWK_KGETWINID, "parent window"},
    VaryingField{net::KWD_KOMM, net::KWK_KGETWINID, "thread id"},
};

std::string frame_name(int service, int type) {
  const char* s = net::service_name(service);
  const char* t = net::type_name(service, type);
  return (s ? std::string(s) : "service " + std::to_string(service)) + "/" +
         (t ? std::string(t) : "type " + std::to_string(type));
}

// Collects the names of a described message's fields in link order.
struct NameCollector {
  std::vector<std::string> names;
  void int_field(const char* name, std::int32_t&) { names.emplace_back(name); }
  void text(const char* name, std::string&, std::size_t = kUnlimitedText) {
    names.emplace_back(name);
  }
  void text_in_field(const char* name, std::string&, std::size_t) { names.emplace_back(name); }
};

// The field names of the described message of this service and type that reads `payload` with
// exactly `count` fields (a request and its answer can share service and type).
std::vector<std::string> described_names(int service, int type,
                                         std::span<const std::uint8_t> payload, std::size_t count) {
  std::vector<std::string> found;
  for_each_described_message([&](auto entry) {
    if (!found.empty() || !entry.program_link || entry.service != service || entry.type != type)
      return;
    auto parsed = entry.parse(payload);
    if (!parsed) return;
    NameCollector collector;
    using M = typename decltype(entry)::Message;
    M::fields(*parsed, collector);
    if (collector.names.size() == count) found = std::move(collector.names);
  });
  return found;
}

std::string field_value(const TraceField& field) {
  if (field.is_int) return std::to_string(field.value);
  std::string text = "\"";
  for (std::size_t i = 0; i < field.bytes.size(); ++i) {
    const std::uint8_t byte = field.bytes[i];
    if (byte == 0 && i + 1 == field.bytes.size()) break;  // a text's terminating zero
    if (byte >= 0x20 && byte < 0x7f && byte != '"' && byte != '\\') {
      text += static_cast<char>(byte);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
    if (text.size() > 80) {
      text += "...";
      break;
    }
  }
  return text + "\"";
}

std::string byte_text(std::span<const std::uint8_t> bytes, std::size_t at) {
  if (at >= bytes.size()) return "the end";
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", bytes[at]);
  return text;
}

std::string bytes_difference(std::span<const std::uint8_t> expected,
                             std::span<const std::uint8_t> received) {
  const auto mismatch =
      std::mismatch(expected.begin(), expected.end(), received.begin(), received.end());
  const auto at = static_cast<std::size_t>(mismatch.first - expected.begin());
  return "byte " + std::to_string(at) + ": expected " + byte_text(expected, at) + ", received " +
         byte_text(received, at) + " (lengths " + std::to_string(expected.size()) + " and " +
         std::to_string(received.size()) + ")";
}

// "field 3" or "field 3 \"screen width\"".
std::string field_label(std::size_t index, const std::string& name) {
  const std::string number = "field " + std::to_string(index + 1);
  return name == number ? number : number + " \"" + name + "\"";
}

}  // namespace

std::optional<std::vector<TraceField>> trace_fields(int service, int type,
                                                    std::span<const std::uint8_t> payload) {
  std::vector<TraceField> fields;
  PayloadReader in(payload);
  while (in.remaining() > 0) {
    const std::span<const std::uint8_t> bytes = in.bytes("field");
    if (!in.ok()) return std::nullopt;
    TraceField field;
    field.bytes.assign(bytes.begin(), bytes.end());
    if (bytes.size() == 4) {
      field.is_int = true;
      field.value = static_cast<std::int32_t>(net::read_be32(bytes.data()));
    }
    fields.push_back(std::move(field));
  }
  const std::vector<std::string> names = described_names(service, type, payload, fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i)
    fields[i].name = i < names.size() ? names[i] : "field " + std::to_string(i + 1);
  return fields;
}

std::string describe_trace_frame(int service, int type, std::span<const std::uint8_t> payload) {
  std::string text = frame_name(service, type);
  if (payload.empty()) return text;
  const auto fields = trace_fields(service, type, payload);
  if (!fields) {
    TraceField raw;
    raw.bytes.assign(payload.begin(), payload.end());
    return text + " " + std::to_string(payload.size()) + " bytes " + field_value(raw);
  }
  for (const TraceField& field : *fields) text += " " + field.name + "=" + field_value(field);
  return text;
}

bool field_varies_between_runs(int service, int type, const std::string& name) {
  return std::any_of(kVaryingFields.begin(), kVaryingFields.end(), [&](const VaryingField& f) {
    return f.service == service && f.type == type && f.name == name;
  });
}

std::optional<std::string> trace_frame_difference(int expected_service, int expected_type,
                                                  std::span<const std::uint8_t> expected,
                                                  int service, int type,
                                                  std::span<const std::uint8_t> received) {
  if (expected_service != service || expected_type != type) {
    return "message: expected " + frame_name(expected_service, expected_type) + ", received " +
           frame_name(service, type);
  }
  if (std::equal(expected.begin(), expected.end(), received.begin(), received.end()))
    return std::nullopt;
  const auto want = trace_fields(service, type, expected);
  const auto got = trace_fields(service, type, received);
  if (!want || !got) return bytes_difference(expected, received);
  for (std::size_t i = 0; i < std::max(want->size(), got->size()); ++i) {
    if (i >= want->size())
      return field_label(i, (*got)[i].name) + ": not expected, received " + field_value((*got)[i]);
    if (i >= got->size())
      return field_label(i, (*want)[i].name) + ": expected " + field_value((*want)[i]) +
             ", missing";
    const TraceField& w = (*want)[i];
    const TraceField& g = (*got)[i];
    if (w.bytes == g.bytes || field_varies_between_runs(service, type, w.name)) continue;
    std::string where = field_label(i, w.name);
    // In a record field the offset of the first differing byte says which member it is.
    if (!w.is_int || !g.is_int) where += " at " + bytes_difference(w.bytes, g.bytes);
    return where + ": expected " + field_value(w) + ", received " + field_value(g);
  }
  return std::nullopt;
}

}  // namespace kovw::protocol
