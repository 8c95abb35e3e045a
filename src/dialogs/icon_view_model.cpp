#include "dialogs/icon_view_model.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

#include "foundation/host_text.h"
#include "protocol/little_endian.h"
#include "protocol/payload_codec.h"
#include "protocol/program/list_view_messages.h"

namespace kovw::dialogs {

namespace {

using protocol::ParseError;
using protocol::ParseFailure;

constexpr std::size_t kTreeHeader = protocol::kTreeHeaderSize;
constexpr std::size_t kTreeEntry = protocol::kTreeEntrySize;
constexpr std::size_t kTreeLabelOffset = 7;
constexpr std::size_t kListHeader = protocol::kListHeaderSize;
constexpr std::size_t kListEntry = protocol::kListEntrySize;
constexpr std::size_t kListTitleOffset = 64;
constexpr std::size_t kListTitleEnd = 192;
constexpr std::size_t kColumnTitlesOffset = 192;
constexpr std::size_t kColumnTitlesEnd = 701;
constexpr std::size_t kListFlagsOffset = 701;
constexpr std::size_t kColumnCountOffset = 703;
constexpr std::size_t kWidthsOffset = 704;
constexpr std::size_t kEntryTextsOffset = 5;
constexpr std::size_t kEntryTextsEnd = 472;
constexpr std::size_t kEntryIconNameOffset = 476;
constexpr std::size_t kEntryIconNameEnd = 512;
constexpr std::size_t kEntryValueOffset = 512;
constexpr std::size_t kColumnTitleMax = 63;

std::int32_t le32s(const std::uint8_t* at) {
  return static_cast<std::int32_t>(protocol::le32(at));
}

using protocol::text_view;

// Zero-terminated texts one after the other in [from, end): at most `count`.
std::vector<std::string_view> texts_in(std::span<const std::uint8_t> record, std::size_t from,
                                       std::size_t end, std::size_t count) {
  std::vector<std::string_view> texts;
  while (texts.size() < count && from < end) {
    const std::string_view text = text_view(record, from, end);
    texts.push_back(text);
    from += text.size() + 1;
  }
  return texts;
}

std::u16string wide(std::string_view text, bool utf8, int text_flags) {
  return foundation::host_to_wide(text, utf8 ? foundation::kTextUtf8 : text_flags);
}

ParseFailure failure(ParseError code, std::string message) {
  return {code, std::move(message)};
}

// The entry count of a definition: refused when negative or more than the entries present.
std::optional<ParseFailure> check_count(const char* name, std::int32_t count, std::size_t size,
                                        std::size_t header, std::size_t entry) {
  if (size < header)
    return failure(ParseError::kTruncated, std::string(name) + ": definition of " +
                                               std::to_string(size) + " bytes, shorter than " +
                                               std::to_string(header));
  const std::size_t present = (size - header) / entry;
  if (count < 0 || static_cast<std::size_t>(count) > present)
    return failure(ParseError::kCountTooLarge, std::string(name) + ": " + std::to_string(count) +
                                                   " entries, " + std::to_string(present) +
                                                   " present");
  return std::nullopt;
}

}  // namespace

protocol::Result<TreeDefinition> parse_tree_definition(std::span<const std::uint8_t> definition,
                                                       int text_flags) {
  if (auto bad = check_count("KWK_LTREE", definition.size() >= 4 ? le32s(definition.data()) : 0,
                             definition.size(), kTreeHeader, kTreeEntry))
    return *bad;
  TreeDefinition tree;
  const std::int32_t count = le32s(definition.data());
  tree.utf8 = (protocol::le32(definition.data() + 4) & 1) != 0;
  tree.folders.reserve(static_cast<std::size_t>(count));
  // The folder last inserted at each level; a new folder at a level forgets the deeper ones,
  // which hung below its predecessor.
  std::array<int, 16> last{};
  last.fill(-1);
  for (std::int32_t i = 0; i < count; ++i) {
    const auto record =
        definition.subspan(kTreeHeader + static_cast<std::size_t>(i) * kTreeEntry, kTreeEntry);
    TreeFolder folder;
    folder.value = le32s(record.data());
    folder.flags = record[4];
    folder.icon = record[5];
    folder.open_icon = record[6];
    folder.label = wide(text_view(record, kTreeLabelOffset, kTreeEntry), tree.utf8, text_flags);
    const int asked = record[4] & kFolderLevelMask;
    int level = asked;
    while (level > 0 && last[static_cast<std::size_t>(level - 1)] < 0) --level;
    if (level != asked)
      tree.notes.push_back("tree entry " + std::to_string(i) + " at level " +
                           std::to_string(asked) + " without a folder at level " +
                           std::to_string(asked - 1) + ": attached at level " +
                           std::to_string(level));
    folder.level = level;
    folder.parent = level > 0 ? last[static_cast<std::size_t>(level - 1)] : -1;
    last[static_cast<std::size_t>(level)] = static_cast<int>(tree.folders.size());
    std::fill(last.begin() + level + 1, last.end(), -1);
    tree.folders.push_back(std::move(folder));
  }
  return tree;
}

protocol::Result<ListDefinition> parse_list_definition(std::span<const std::uint8_t> definition,
                                                       int host_version, int text_flags) {
  if (auto bad = check_count("KWK_LLIST", definition.size() >= 4 ? le32s(definition.data()) : 0,
                             definition.size(), kListHeader, kListEntry))
    return *bad;
  const std::size_t columns = definition[kColumnCountOffset];
  if (columns > kMaxColumns)
    return failure(ParseError::kMalformed, "KWK_LLIST: " + std::to_string(columns) +
                                               " columns, more than the " +
                                               std::to_string(kMaxColumns) + " width bytes");
  ListDefinition list;
  const std::int32_t count = le32s(definition.data());
  list.list_number = le32s(definition.data() + 4);
  const std::uint8_t flags = definition[kListFlagsOffset];
  list.utf8 = (flags & 0x80) != 0;
  list.view_mode = flags & 0x03;
  list.title = wide(text_view(definition, kListTitleOffset, kListTitleEnd), list.utf8, text_flags);
  for (const std::string_view title :
       texts_in(definition, kColumnTitlesOffset, kColumnTitlesEnd, columns))
    list.column_titles.push_back(wide(title.substr(0, kColumnTitleMax), list.utf8, text_flags));
  list.column_titles.resize(columns);
  list.widths.assign(definition.begin() + kWidthsOffset,
                     definition.begin() + kWidthsOffset + static_cast<std::ptrdiff_t>(columns));

  // Every entry has at least the two texts the button bar form uses.
  const std::size_t shown = std::max<std::size_t>(columns, 2);
  const bool tip = host_version > kVersionListTip;
  list.entries.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const auto record =
        definition.subspan(kListHeader + static_cast<std::size_t>(i) * kListEntry, kListEntry);
    ListEntry entry;
    entry.number = le32s(record.data());
    entry.icon = record[4];
    const auto texts = texts_in(record, kEntryTextsOffset, kEntryTextsEnd, shown + (tip ? 1 : 0));
    for (std::size_t t = 0; t < texts.size(); ++t) {
      if (tip && t == 2) {
        entry.tip = wide(texts[t], list.utf8, text_flags);
        continue;
      }
      entry.texts.push_back(wide(texts[t], list.utf8, text_flags));
    }
    entry.texts.resize(shown);
    entry.icon_name = std::string(text_view(record, kEntryIconNameOffset, kEntryIconNameEnd));
    entry.value = le32s(record.data() + kEntryValueOffset);
    list.entries.push_back(std::move(entry));
  }
  return list;
}

std::vector<int> column_widths(std::span<const std::uint8_t> widths, int list_width,
                               int scroll_bar_width) {
  std::vector<int> result;
  if (widths.empty()) return result;
  if (widths[0] & 0x80) {
    for (const std::uint8_t width : widths) result.push_back(width);
    return result;
  }
  const long long room = std::max(0, list_width - scroll_bar_width);
  long long sum = 0;
  for (const std::uint8_t share : widths) sum += share;
  for (const std::uint8_t share : widths)
    result.push_back(static_cast<int>(sum > 0 ? room * share / sum
                                              : room / static_cast<long long>(widths.size())));
  return result;
}

std::optional<std::string> icon_host_name(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  for (const char c : name)
    if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20)
      return std::nullopt;
  std::string host = "HW/kovw/icon/" + std::string(name);
  const auto ends_in_ico = [&] {
    if (name.size() < 3) return false;
    const std::string_view tail = name.substr(name.size() - 3);
    return std::equal(tail.begin(), tail.end(), "ico", [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) == b;
    });
  };
  if (!ends_in_ico()) host += ".ico";
  return host;
}

int first_marked_entry(const ListDefinition& list) {
  for (std::size_t i = 0; i < list.entries.size(); ++i)
    if (list.entries[i].icon != 0) return static_cast<int>(i);
  return -1;
}

std::optional<int> view_mode_for_key(int code) {
  switch (code) {
    case 1002:
      return kModeSmallIcons;
    case 1003:
      return kModeLargeIcons;
    case 1004:
      return kModeList;
    case 1005:
      return kModeDetails;
    default:
      return std::nullopt;
  }
}

}  // namespace kovw::dialogs
