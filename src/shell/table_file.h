#pragma once
// The local table file "drtab.ini" of the data directory: a 4-byte little-endian length and a
// host table record of that length, as a host program sent it. Records of an old layout
// (version word at byte 48 below 765, or shorter than 8632 bytes) are converted when read: the
// first 1246 bytes are kept, the text (16-bit length at byte 1246, the text from byte 1248)
// moves to byte 21768 (length) and 21770 (text, padded with blanks to its length).
//
// Every length in the file is checked: the record length against the file, a text length
// against the record it comes from and the text field it goes to. A file that fails a check is
// refused with the reason, never read past its end.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kovw::shell {

inline constexpr std::size_t kTableRecordSize = 24836;
inline constexpr std::size_t kTableTextLengthOffset = 21768;
inline constexpr std::size_t kTableTextOffset = 21770;
inline constexpr std::size_t kTableTextMax = kTableRecordSize - kTableTextOffset;  // 3066
inline constexpr std::size_t kTableVersionOffset = 48;
inline constexpr std::uint32_t kTableCurrentVersion = 765;
inline constexpr std::size_t kTableCurrentMinimum = 8632;
inline constexpr std::size_t kTableOldHead = 1246;
inline constexpr std::size_t kTableFileMax = 1u << 20;

struct TableRead {
  std::vector<std::uint8_t> record;  // at least kTableRecordSize bytes (zero-filled beyond)
  bool converted = false;            // it had the old layout
  std::string error;                 // why the file was refused (record then empty)
};

// Reads the contents of a table file.
TableRead parse_table_file(std::span<const std::uint8_t> file);
// The file contents for `record` (current layout): the length 21770 + text length and the
// record up to the end of its text. Empty when the record's text length does not fit.
std::vector<std::uint8_t> build_table_file(std::span<const std::uint8_t> record);

// The file at `path`, read under the process-wide lock; a missing file is an error too.
TableRead read_table_file(const std::string& path);
// Replaces the file at `path` (written whole under a temporary name) under the process-wide
// lock. Returns 0 or the system error (EINVAL for a record whose text length does not fit).
int write_table_file(const std::string& path, std::span<const std::uint8_t> record);

// Keeps a host's page definition (a host table record as sent, of either layout) as the table
// file at `path`, exactly as sent, when it reads back as a table file would (the reader converts
// the old layout). Returns 0, EINVAL with `error` set for a record that does not read, or the
// system error.
int store_page_definition(const std::string& path, std::span<const std::uint8_t> record,
                          std::string& error);

}  // namespace kovw::shell
