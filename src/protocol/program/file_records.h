#pragma once
// The records that describe one local file to a host program: the 286-byte directory entry
// (the same text layout for local listings and for the listings the server daemon returns),
// and the 740-byte file entry and 344-byte file record of the KWK_KFILECHECK answer.
//
// Directory entry (286 bytes, text):
//   0       kind: '0' file, '1' directory, '3' character device
//   1       the format character '7'
//   2       's' when the entry's flag bit 0 is set, else '*' (local entries: '*')
//   3       'S' when the modification time falls in daylight-saving time, else '*'
//   4-17    modification time in local time, YYYYMMDDhhmmss (14 blanks when not convertible)
//   18-29   size in bytes, 12 decimal digits, zero-padded (larger sizes show 999999999999)
//   30-285  name with '/' as separator, zero-terminated and zero-filled
//
// File entry (740 bytes):
//   0-255   the name, blank-padded (no terminating zero)
//   256-291 status record, little-endian: u32 device, u16 inode (low bits), u16 mode (file
//           type and permission bits: 0x4000 directory, 0x8000 regular file, 0x2000
//           character device, 0x1000 pipe, 0xA000 symbolic link; 0400/0200/0100 owner read,
//           write, execute, ...), u16 link count, u16 user id, u16 group id, u16 zero, u32
//           device of a special file, u32 size (saturated), u32 access, modification and
//           status change time (seconds since 1970, saturated)
//   292-577 the directory entry of the file
//   578-739 zero
//
// File record (344 bytes, little-endian):
//   0       u32 attributes (kAttribute... below)
//   4       i64 creation time (the status change time where no birth time is known)
//   12      i64 last access time
//   20      i64 last modification time          (all times in seconds since 1970)
//   28      i64 size in bytes
//   36      the name, zero-terminated and zero-filled (260 bytes)
//   296     u32 mode, u32 link count, u32 user id, u32 group id
//   312     u64 device, u64 inode
//   328-343 zero

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "protocol/result.h"

namespace kovw::protocol {

inline constexpr std::size_t kDirectoryEntrySize = 286;
inline constexpr std::size_t kDirectoryEntryNameSize = 256;
inline constexpr std::size_t kFileEntryNameSize = 256;
inline constexpr std::size_t kStatusRecordSize = 36;
inline constexpr std::size_t kFileRecordNameSize = 260;
// Offsets inside the file entry.
inline constexpr std::size_t kFileEntryStatusOffset = 256;
inline constexpr std::size_t kFileEntryListingOffset = 292;

// Attribute bits of the file record.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;  // the name starts with a dot
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;  // a regular file
inline constexpr std::uint32_t kAttributeDevice = 0x40;   // a device, pipe or socket
inline constexpr std::uint32_t kAttributeLink = 0x400;    // a symbolic link

// Mode bits of the status record and the file record.
inline constexpr std::uint32_t kModeTypeMask = 0xF000;
inline constexpr std::uint32_t kModePipe = 0x1000;
inline constexpr std::uint32_t kModeCharacterDevice = 0x2000;
inline constexpr std::uint32_t kModeDirectory = 0x4000;
inline constexpr std::uint32_t kModeRegular = 0x8000;
inline constexpr std::uint32_t kModeLink = 0xA000;

// The status of one file, as the local file system reports it. Names are host text.
struct FileStatus {
  std::string entry_name;    // the file entry's name (bytes 0-255)
  std::string listing_name;  // the name of the directory entry and the file record
  std::uint32_t mode = 0;    // kMode... type bits and permission bits
  std::uint32_t attributes = 0;
  std::uint32_t link_count = 0;
  std::uint32_t user_id = 0, group_id = 0;
  std::uint64_t device = 0, inode = 0, special_device = 0;
  std::int64_t size = 0;
  std::int64_t access_time = 0, modification_time = 0, change_time = 0, creation_time = 0;
  bool flagged = false;  // directory entry byte 2 's'
};

// The directory entry of `status` (kind from the mode, time in local time).
std::vector<std::uint8_t> build_directory_entry(const FileStatus& status);
// The KWK_KFILECHECK records.
std::vector<std::uint8_t> build_file_entry(const FileStatus& status);
std::vector<std::uint8_t> build_file_record(const FileStatus& status);

// One directory entry as read back (from a daemon's listing).
struct DirectoryEntry {
  char kind = '0';        // '0' file, '1' directory, '3' character device
  bool flagged = false;   // byte 2 's'
  bool daylight = false;  // byte 3 'S'
  std::string time;       // YYYYMMDDhhmmss, empty when the entry has none
  std::uint64_t size = 0;
  std::string name;  // up to the first zero byte
};

// Reads one entry of exactly kDirectoryEntrySize bytes: the kind must be '0', '1' or '3', the
// format character '7', the time 14 digits or 14 blanks and the size 12 digits.
Result<DirectoryEntry> parse_directory_entry(std::span<const std::uint8_t> record);
// Reads a listing of whole entries; a listing whose length is no multiple of the entry size
// or that holds a broken entry is refused.
Result<std::vector<DirectoryEntry>> parse_directory_listing(std::span<const std::uint8_t> data);

}  // namespace kovw::protocol
