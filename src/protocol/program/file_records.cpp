#include "protocol/program/file_records.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>

#include "protocol/program/host_requests.h"

namespace kovw::protocol {

namespace {

void put_le(Bytes& out, std::size_t at, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A value in an unsigned field of `width` bytes; negative values become 0, larger ones the
// field's largest value.
std::uint64_t saturate(std::int64_t value, int width) {
  if (value < 0) return 0;
  const std::uint64_t limit = width >= 8 ? std::numeric_limits<std::uint64_t>::max()
                                         : (std::uint64_t{1} << (8 * width)) - 1;
  return std::min(static_cast<std::uint64_t>(value), limit);
}

// Copies `text` into out[at, at + size), at most size - 1 bytes when `terminate` leaves room
// for the zero that the zero-filled field already holds.
void put_text_field(Bytes& out, std::size_t at, std::size_t size, const std::string& text,
                    bool terminate) {
  const std::size_t length = std::min(text.size(), terminate ? size - 1 : size);
  std::copy_n(text.begin(), length, out.begin() + static_cast<std::ptrdiff_t>(at));
}

char kind_of(std::uint32_t mode) {
  switch (mode & kModeTypeMask) {
    case kModeDirectory:
      return '1';
    case kModeCharacterDevice:
      return '3';
    default:
      return '0';
  }
}

}  // namespace

Bytes build_directory_entry(const FileStatus& status) {
  Bytes entry(kDirectoryEntrySize, 0);
  entry[0] = static_cast<std::uint8_t>(kind_of(status.mode));
  entry[1] = '7';
  entry[2] = status.flagged ? 's' : '*';
  entry[3] = '*';
  std::fill_n(entry.begin() + 4, 14, ' ');
  const std::time_t time = static_cast<std::time_t>(status.modification_time);
  std::tm local{};
  if (localtime_r(&time, &local) && local.tm_year + 1900 >= 0 && local.tm_year + 1900 <= 9999) {
    char text[15];
    if (std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local) == 14) {
      std::copy_n(text, 14, entry.begin() + 4);
      if (local.tm_isdst > 0) entry[3] = 'S';
    }
  }
  char size[13];
  std::snprintf(size, sizeof size, "%012lld",
                static_cast<long long>(std::clamp<std::int64_t>(status.size, 0, 999999999999LL)));
  std::copy_n(size, 12, entry.begin() + 18);
  std::string name = status.listing_name;
  std::replace(name.begin(), name.end(), '\\', '/');
  put_text_field(entry, 30, kDirectoryEntryNameSize, name, true);
  return entry;
}

Bytes build_file_entry(const FileStatus& status) {
  Bytes entry(kFileEntryNameSize + kStatusRecordSize, 0);
  std::fill_n(entry.begin(), kFileEntryNameSize, ' ');
  put_text_field(entry, 0, kFileEntryNameSize, status.entry_name, false);
  std::size_t at = kFileEntryStatusOffset;
  put_le(entry, at, saturate(static_cast<std::int64_t>(status.device & 0xFFFFFFFF), 4), 4);
  put_le(entry, at + 4, status.inode & 0xFFFF, 2);
  put_le(entry, at + 6, status.mode & 0xFFFF, 2);
  put_le(entry, at + 8, std::min<std::uint32_t>(status.link_count, 0xFFFF), 2);
  put_le(entry, at + 10, std::min<std::uint32_t>(status.user_id, 0xFFFF), 2);
  put_le(entry, at + 12, std::min<std::uint32_t>(status.group_id, 0xFFFF), 2);
  put_le(entry, at + 16, status.special_device & 0xFFFFFFFF, 4);
  put_le(entry, at + 20, saturate(status.size, 4), 4);
  put_le(entry, at + 24, saturate(status.access_time, 4), 4);
  put_le(entry, at + 28, saturate(status.modification_time, 4), 4);
  put_le(entry, at + 32, saturate(status.change_time, 4), 4);
  const Bytes listing = build_directory_entry(status);
  entry.insert(entry.end(), listing.begin(), listing.end());
  entry.resize(kFileEntrySize, 0);
  return entry;
}

Bytes build_file_record(const FileStatus& status) {
  Bytes record(kFileRecordSize, 0);
  put_le(record, 0, status.attributes, 4);
  put_le(record, 4, static_cast<std::uint64_t>(status.creation_time), 8);
  put_le(record, 12, static_cast<std::uint64_t>(status.access_time), 8);
  put_le(record, 20, static_cast<std::uint64_t>(status.modification_time), 8);
  put_le(record, 28, static_cast<std::uint64_t>(status.size), 8);
  put_text_field(record, 36, kFileRecordNameSize, status.listing_name, true);
  put_le(record, 296, status.mode, 4);
  put_le(record, 300, status.link_count, 4);
  put_le(record, 304, status.user_id, 4);
  put_le(record, 308, status.group_id, 4);
  put_le(record, 312, status.device, 8);
  put_le(record, 320, status.inode, 8);
  return record;
}

Result<DirectoryEntry> parse_directory_entry(std::span<const std::uint8_t> record) {
  auto refuse = [](const char* why) {
    return ParseFailure{ParseError::kBadRecord, std::string("directory entry: ") + why};
  };
  if (record.size() != kDirectoryEntrySize) return refuse("wrong size");
  DirectoryEntry entry;
  entry.kind = static_cast<char>(record[0]);
  if (entry.kind != '0' && entry.kind != '1' && entry.kind != '3') return refuse("unknown kind");
  if (record[1] != '7') return refuse("no format character");
  entry.flagged = record[2] == 's';
  entry.daylight = record[3] == 'S';
  const auto digits = [&](std::size_t at, std::size_t count) {
    return std::all_of(record.begin() + static_cast<std::ptrdiff_t>(at),
                       record.begin() + static_cast<std::ptrdiff_t>(at + count),
                       [](std::uint8_t c) { return c >= '0' && c <= '9'; });
  };
  if (digits(4, 14))
    entry.time.assign(record.begin() + 4, record.begin() + 18);
  else if (!std::all_of(record.begin() + 4, record.begin() + 18,
                        [](std::uint8_t c) { return c == ' '; }))
    return refuse("bad time");
  if (!digits(18, 12)) return refuse("bad size");
  for (std::size_t i = 18; i < 30; ++i) entry.size = entry.size * 10 + (record[i] - '0');
  const auto name = record.subspan(30);
  const auto end = std::find(name.begin(), name.end(), std::uint8_t{0});
  entry.name.assign(name.begin(), end);
  return entry;
}

Result<std::vector<DirectoryEntry>> parse_directory_listing(std::span<const std::uint8_t> data) {
  if (data.size() % kDirectoryEntrySize != 0)
    return ParseFailure{ParseError::kTruncated, "directory listing: a partial entry at the end"};
  std::vector<DirectoryEntry> entries;
  entries.reserve(data.size() / kDirectoryEntrySize);
  for (std::size_t at = 0; at < data.size(); at += kDirectoryEntrySize) {
    auto entry = parse_directory_entry(data.subspan(at, kDirectoryEntrySize));
    if (!entry) return entry.error();
    entries.push_back(std::move(*entry));
  }
  return entries;
}

}  // namespace kovw::protocol
