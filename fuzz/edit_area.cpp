// Edit area requests of arbitrary bytes: the first 28 are the record, the rest the text. The
// text as edited never exceeds the maximum length, and the reply's text never exceeds what its
// length field holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "dialogs/edit_area.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovw::dialogs;
  const auto area = decode_edit_request(std::span(data, size));
  if (!area) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 28, size - 28);
  for (int flags : {0, 0x08}) {
    const std::u16string edited = edit_text_from_host(text, *area, flags);
    if (edited.size() > static_cast<std::size_t>(area->max_length)) std::abort();
    if (edited.find(u'\r') != std::u16string::npos) std::abort();
    const std::string wire = edit_text_to_host(edited + edited + edited, *area, flags);
    if (wire.size() > kMaxEditReplyBytes) std::abort();
  }
  return 0;
}
