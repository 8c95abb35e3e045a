#include "icon_steps.h"

#include <algorithm>
#include <cstdint>

#include "net/link_names.h"
#include "protocol/little_endian.h"
#include "protocol/program/list_view_messages.h"
#include "script.h"

namespace hostsim {

namespace proto = kovw::protocol;
namespace net = kovw::net;

namespace {

using Bytes = std::vector<std::uint8_t>;

void put_text(Bytes& bytes, std::size_t at, const std::string& text, std::size_t room) {
  std::copy_n(text.begin(), std::min(text.size(), room - 1), bytes.begin() + static_cast<long>(at));
}

// Two drives with folders below them; "Archive" and "Outbox" take dropped entries, "Reports"
// reports its selection.
Bytes demo_tree() {
  struct Folder {
    std::int32_t value;
    std::uint8_t flags;
    std::uint8_t icon;
    const char* label;
  };
  const Folder folders[] = {
      {1, 0x40, 2, "Office"},      {11, 1 | 0x20, 0, "Archive"}, {12, 1 | 0x80, 0, "Reports"},
      {121, 2, 0, "2025"},         {122, 2 | 0x20, 0, "2026"},   {2, 0, 2, "Shared"},
      {21, 1 | 0x20, 0, "Outbox"},
  };
  Bytes bytes(proto::kTreeHeaderSize + std::size(folders) * proto::kTreeEntrySize, 0);
  proto::put_le32(bytes.data(), static_cast<std::uint32_t>(std::size(folders)));
  for (std::size_t i = 0; i < std::size(folders); ++i) {
    const std::size_t at = proto::kTreeHeaderSize + i * proto::kTreeEntrySize;
    proto::put_le32(bytes.data() + at, static_cast<std::uint32_t>(folders[i].value));
    bytes[at + 4] = folders[i].flags;
    bytes[at + 5] = folders[i].icon;
    bytes[at + 6] = 1;
    put_text(bytes, at + 7, folders[i].label, proto::kTreeEntrySize - 7);
  }
  return bytes;
}

// COUNT documents with a name, a size and a kind; column shares 2, 1, 1.
Bytes demo_list(int count, const std::string& title, int mode) {
  Bytes bytes(proto::kListHeaderSize + static_cast<std::size_t>(count) * proto::kListEntrySize, 0);
  proto::put_le32(bytes.data(), static_cast<std::uint32_t>(count));
  proto::put_le32(bytes.data() + 4, 1);
  put_text(bytes, 64, title, 128);
  const std::string titles("Name\0Size\0Kind", 14);
  std::copy(titles.begin(), titles.end(), bytes.begin() + 192);
  bytes[701] = static_cast<std::uint8_t>(mode & 3);
  bytes[703] = 3;
  bytes[704] = 2;
  bytes[705] = 1;
  bytes[706] = 1;
  for (int i = 0; i < count; ++i) {
    const std::size_t at =
        proto::kListHeaderSize + static_cast<std::size_t>(i) * proto::kListEntrySize;
    proto::put_le32(bytes.data() + at, static_cast<std::uint32_t>(i + 1));
    bytes[at + 4] = static_cast<std::uint8_t>(i % 11);
    // Newer host libraries put a tip after the second text.
    const std::string texts = "Document " + std::to_string(1000 + i) + std::string(1, '\0') +
                              std::to_string((i * 37) % 900 + 1) + " KB" + std::string(1, '\0') +
                              "Tip " + std::to_string(i) + std::string(1, '\0') +
                              (i % 3 == 0   ? "Letter"
                               : i % 3 == 1 ? "Invoice"
                                            : "Report");
    std::copy(texts.begin(), texts.end(), bytes.begin() + static_cast<long>(at + 5));
    proto::put_le32(bytes.data() + at + 512, static_cast<std::uint32_t>(50000 + i));
  }
  return bytes;
}

// Two fields in a data block of 40 bytes and the buttons OK (1) and Cancel (2).
proto::ListDialog demo_dialog(const std::string& title) {
  proto::ListDialog dialog;
  dialog.header.assign(proto::kListDialogHeaderSize, 0);
  put_text(dialog.header, 16, title, 128);
  const auto field = [](const char* label, int length, int position) {
    Bytes record(proto::kListDialogFieldSize, 0);
    put_text(record, 0, label, 128);
    proto::put_le16(record.data() + 128, static_cast<std::uint16_t>(length));
    proto::put_le16(record.data() + 130, static_cast<std::uint16_t>(position));
    return record;
  };
  const auto button = [](const char* label, int code) {
    Bytes record(proto::kListDialogButtonSize, 0);
    put_text(record, 0, label, 128);
    proto::put_le16(record.data() + 128, static_cast<std::uint16_t>(code));
    return record;
  };
  dialog.fields = {field("Name", 20, 0), field("Remark", 20, 20)};
  dialog.buttons = {button("OK", 1), button("Cancel", 2)};
  const std::string data = "Document 1000       checked             ";
  dialog.data.assign(data.begin(), data.end());
  return dialog;
}

}  // namespace

std::optional<proto::Outgoing> parse_icon_step(const std::vector<std::string>& w,
                                               std::string& error) {
  const std::string& command = w[0];
  const std::size_t args = w.size() - 1;
  if (command == "LTREE") {
    if (args != 0) error = "LTREE: no arguments";
    return error.empty() ? std::optional(proto::build_view_definition(net::KWK_LTREE, demo_tree()))
                         : std::nullopt;
  }
  if (command == "LLIST") {
    int count = 0, mode = 0;
    if (args < 1 || args > 3 || !script_int(w[1], count) || count < 0 || count > 100000 ||
        (args == 3 && !script_int(w[3], mode))) {
      error = "LLIST: COUNT [\"title\" [MODE]] expected";
      return std::nullopt;
    }
    return proto::build_view_definition(net::KWK_LLIST,
                                        demo_list(count, args >= 2 ? w[2] : "Documents", mode));
  }
  if (command == "LDIALOG") {
    if (args != 1) {
      error = "LDIALOG: \"title\" expected";
      return std::nullopt;
    }
    return proto::build_ldialog(demo_dialog(w[1]));
  }
  if (command == "LEXPAND" || command == "LCOLLAPSE") {
    if (args != 0) {
      error = command + ": no arguments";
      return std::nullopt;
    }
    return proto::Outgoing{net::KWD_LIST, command == "LEXPAND" ? 64 : 65, {}};
  }
  return std::nullopt;
}

std::string describe_list_answer(std::span<const std::uint8_t> payload) {
  const auto answer = proto::parse_lantw(payload);
  if (!answer) return " malformed: " + answer.error().message;
  const auto& v = answer->values;
  return " event=" + std::to_string(answer->event) + " text=\"" + answer->text +
         "\" entry value=" + std::to_string(v[0]) + " folder=" + std::to_string(v[1]) +
         " selected folder=" + std::to_string(v[2]) + " entry=" + std::to_string(v[3]) +
         " window=" + std::to_string(v[4]) + "," + std::to_string(v[5]) + " " +
         std::to_string(v[6]) + "x" + std::to_string(v[7]) + " tree=" + std::to_string(v[8]);
}

std::string describe_list_dialog_answer(std::span<const std::uint8_t> payload) {
  const auto answer = proto::parse_lantwdia(payload);
  if (!answer) return " malformed: " + answer.error().message;
  std::string data;
  for (const std::uint8_t byte : answer->data)
    data += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
  return " result=" + std::to_string(answer->result) + " data(" +
         std::to_string(answer->data.size()) + ")=\"" + data + "\"";
}

}  // namespace hostsim
