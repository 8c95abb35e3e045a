// Host strings from arbitrary bytes: marker detection, both conversions and field copies,
// with arbitrary flags and field capacities.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/host_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovw::foundation;
  if (size < 2) return 0;
  const int flags = data[0] & 0x1f;
  const std::size_t capacity = data[1];
  std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

  const long marked = marked_text_length(text);
  if (marked > static_cast<long>(text.size())) __builtin_trap();

  std::u16string wide(capacity, u'x');
  if (host_to_wide(text, wide, flags) > capacity) __builtin_trap();
  std::u16string whole = host_to_wide(text, flags);

  std::string host(capacity, 'x');
  if (wide_to_host(whole, host, flags) > capacity) __builtin_trap();
  std::u16string units(text.size() / 2, u'\0');
  for (std::size_t k = 0; k < units.size(); ++k) {
    units[k] = static_cast<char16_t>(data[2 + 2 * k] | data[3 + 2 * k] << 8);
  }
  wide_to_host(units, host, flags);
  wide_to_host(units, flags);

  copy_field(host, text);
  return 0;
}
