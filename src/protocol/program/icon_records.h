#pragma once
// The host's named icons as screen definitions and graphics window definitions carry them: an
// icon entry of 40 bytes (the name, zero-terminated in 32 bytes; a 16-bit data length at 32; a
// 32-bit offset into a separate data block at 36) names a stretch of icon file data in the
// block that follows the entries.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "protocol/result.h"

namespace kovw::protocol {

inline constexpr std::size_t kIconNameSize = 32;
inline constexpr std::size_t kIconEntrySize = 40;
inline constexpr std::size_t kIconEntryLengthOffset = 32;  // 16-bit
inline constexpr std::size_t kIconEntryDataOffset = 36;    // 32-bit, into the data block

// One named icon of the host: its name and its icon file data.
struct HostIcon {
  std::string name;
  std::vector<std::uint8_t> data;
  bool operator==(const HostIcon&) const = default;
};

// The name of an icon record (the first kIconNameSize bytes, up to the first zero); `record`
// holds at least that many bytes.
std::string icon_record_name(std::span<const std::uint8_t> record);

// Decodes one icon entry (kIconEntrySize bytes; fewer fail) against `block`. Host libraries
// below 0x04130B may send the offset in the high 16 bits; a value that cannot be an offset for
// them (above 32000 or negative) is shifted down. Fails with kBadRecord when the data runs
// outside the block.
Result<HostIcon> decode_icon_entry(std::span<const std::uint8_t> entry,
                                   std::span<const std::uint8_t> block, std::int32_t host_version);

}  // namespace kovw::protocol
