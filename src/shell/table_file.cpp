#include "shell/table_file.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>

#include "foundation/atomic_file.h"
#include "foundation/named_lock.h"

namespace kovw::shell {

namespace {

std::uint32_t le(std::span<const std::uint8_t> bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

TableRead refused(std::string why) {
  TableRead read;
  read.error = std::move(why);
  return read;
}

}  // namespace

TableRead parse_table_file(std::span<const std::uint8_t> file) {
  if (file.size() < 4) return refused("drtab.ini: shorter than its length field");
  const std::uint32_t length = le(file, 0, 4);
  if (length > file.size() - 4)
    return refused("drtab.ini: record length " + std::to_string(length) + " beyond the file's " +
                   std::to_string(file.size() - 4) + " bytes");
  if (length > kTableFileMax) return refused("drtab.ini: record length too large");
  const auto stored = file.subspan(4, length);
  TableRead read;
  const bool old_layout = stored.size() < kTableCurrentMinimum ||
                          le(stored, kTableVersionOffset, 4) < kTableCurrentVersion;
  if (!old_layout) {
    if (stored.size() >= kTableTextOffset) {
      const std::size_t text = le(stored, kTableTextLengthOffset, 2);
      if (text > kTableTextMax || kTableTextOffset + text > stored.size())
        return refused("drtab.ini: text length " + std::to_string(text) + " beyond the record");
    }
    read.record.assign(stored.begin(), stored.end());
    if (read.record.size() < kTableRecordSize) read.record.resize(kTableRecordSize, 0);
    return read;
  }
  read.converted = true;
  read.record.assign(kTableRecordSize, 0);
  std::copy_n(stored.begin(), std::min(stored.size(), kTableOldHead), read.record.begin());
  std::size_t text = 0;
  if (stored.size() >= kTableOldHead + 2) text = le(stored, kTableOldHead, 2);
  if (text > kTableTextMax)
    return refused("drtab.ini: old text length " + std::to_string(text) + " beyond " +
                   std::to_string(kTableTextMax) + " bytes");
  const std::size_t present =
      stored.size() > kTableOldHead + 2 ? std::min(text, stored.size() - (kTableOldHead + 2)) : 0;
  read.record[kTableTextLengthOffset] = static_cast<std::uint8_t>(text & 0xFF);
  read.record[kTableTextLengthOffset + 1] = static_cast<std::uint8_t>(text >> 8);
  const auto text_at = read.record.begin() + static_cast<std::ptrdiff_t>(kTableTextOffset);
  std::copy_n(stored.begin() + static_cast<std::ptrdiff_t>(kTableOldHead + 2), present, text_at);
  std::fill(text_at + static_cast<std::ptrdiff_t>(present),
            text_at + static_cast<std::ptrdiff_t>(text), ' ');
  return read;
}

std::vector<std::uint8_t> build_table_file(std::span<const std::uint8_t> record) {
  if (record.size() < kTableTextOffset) return {};
  const std::size_t text = le(record, kTableTextLengthOffset, 2);
  if (text > kTableTextMax || kTableTextOffset + text > record.size()) return {};
  const std::uint32_t length = static_cast<std::uint32_t>(kTableTextOffset + text);
  std::vector<std::uint8_t> file;
  file.reserve(4 + length);
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  file.insert(file.end(), record.begin(), record.begin() + length);
  return file;
}

TableRead read_table_file(const std::string& path) {
  foundation::DefaultLockGuard lock;
  std::ifstream in(path, std::ios::binary);
  if (!in) return refused("drtab.ini: cannot open " + path);
  std::vector<std::uint8_t> bytes;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    if (bytes.size() > kTableFileMax + 4) return refused("drtab.ini: file too large");
  }
  return parse_table_file(bytes);
}

int write_table_file(const std::string& path, std::span<const std::uint8_t> record) {
  const std::vector<std::uint8_t> contents = build_table_file(record);
  if (contents.empty()) return EINVAL;
  foundation::DefaultLockGuard lock;
  foundation::AtomicFile file;
  if (const int error = file.open(path); error != 0) return error;
  if (const int error = file.write(contents); error != 0) return error;
  return file.commit();
}

int store_page_definition(const std::string& path, std::span<const std::uint8_t> record,
                          std::string& error) {
  std::vector<std::uint8_t> file(4 + record.size());
  const auto length = static_cast<std::uint32_t>(record.size());
  for (int i = 0; i < 4; ++i) file[i] = static_cast<std::uint8_t>(length >> (8 * i));
  std::copy(record.begin(), record.end(), file.begin() + 4);
  // Stored as sent, once it is known to read back.
  const TableRead read = parse_table_file(file);
  if (read.record.empty()) {
    error = read.error;
    return EINVAL;
  }
  foundation::DefaultLockGuard lock;
  foundation::AtomicFile out;
  if (const int failed = out.open(path); failed != 0) return failed;
  if (const int failed = out.write(file); failed != 0) return failed;
  return out.commit();
}

}  // namespace kovw::shell
