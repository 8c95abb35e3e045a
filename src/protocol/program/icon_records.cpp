#include "protocol/program/icon_records.h"

#include <algorithm>
#include <string_view>

#include "foundation/host_text.h"
#include "protocol/little_endian.h"
#include "protocol/program/host_versions.h"

namespace kovw::protocol {

std::string icon_record_name(std::span<const std::uint8_t> record) {
  const std::size_t size = std::min(record.size(), kIconNameSize);
  return foundation::copy_field(
      std::string_view(reinterpret_cast<const char*>(record.data()), size), kIconNameSize);
}

Result<HostIcon> decode_icon_entry(std::span<const std::uint8_t> entry,
                                   std::span<const std::uint8_t> block, std::int32_t host_version) {
  if (entry.size() < kIconEntrySize)
    return ParseFailure{ParseError::kTruncated, "icon entry of " + std::to_string(entry.size()) +
                                                    " bytes (" + std::to_string(kIconEntrySize) +
                                                    " needed)"};
  const std::size_t length = le16(entry.data() + kIconEntryLengthOffset);
  std::uint32_t offset = le32(entry.data() + kIconEntryDataOffset);
  const auto signed_offset = static_cast<std::int32_t>(offset);
  if (host_version < kVersionLowIconOffset && (signed_offset > 32000 || signed_offset < 0))
    offset >>= 16;
  std::string name = icon_record_name(entry);
  if (offset > block.size() || length > block.size() - offset)
    return ParseFailure{ParseError::kBadRecord,
                        "icon " + name + ": data at " + std::to_string(offset) + " (" +
                            std::to_string(length) + " bytes) outside the " +
                            std::to_string(block.size()) + "-byte data block"};
  const auto begin = block.begin() + static_cast<std::ptrdiff_t>(offset);
  return HostIcon{std::move(name),
                  std::vector<std::uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(length))};
}

}  // namespace kovw::protocol
