#include "protocol/program/menu_records.h"

#include <algorithm>

#include "protocol/program/host_versions.h"

namespace kovw::protocol {

std::vector<MenuItemRecord> split_menu_records(std::span<const std::uint8_t> data,
                                               std::int32_t host_version) {
  std::vector<MenuItemRecord> records(data.size() / kMenuItemRecordSize);
  for (std::size_t i = 0; i < records.size(); ++i) {
    MenuItemRecord& record = records[i];
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(i * kMenuItemRecordSize),
                kMenuItemRecordSize, record.begin());
    if (host_version < kVersionWideCommand)
      put_le16(record.data() + kMenuKindOffset, record[kMenuOldCommandOffset]);
  }
  return records;
}

}  // namespace kovw::protocol
