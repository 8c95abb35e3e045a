// An input field driven by arbitrary bytes: the first 20 are the field request, the next byte
// the length of the preset contents, then the contents, then keys (a byte below 0xF0 types
// itself, 0xF0-0xFF with the next byte is a host key, a click or a repeat). The field never
// holds more than its capacity (or a calculation's), and the reply is exactly its length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "dialogs/field_editor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovw::dialogs;
  const auto request = decode_field_request(std::span(data, size));
  if (!request) return 0;
  std::size_t at = 20;
  const std::size_t preset = at < size ? data[at++] : 0;
  std::u16string contents;
  for (std::size_t i = 0; i < preset && at < size; ++i)
    contents += static_cast<char16_t>(data[at++]);
  FieldEditor editor(*request, contents, at < size ? data[at++] : 6);
  while (at < size) {
    const std::uint8_t byte = data[at++];
    FieldStep step;
    if (byte < 0xF0 || at >= size) {
      step = editor.type(static_cast<char16_t>(byte == 0xEF ? 0x20AC : byte));
    } else if (byte == 0xF0) {
      step = editor.click(data[at] % 80, data[at] / 80, 1 + data[at] % 3);
      ++at;
    } else if (byte == 0xF1) {
      step = editor.type(u'7', data[at++] % 40);
    } else {
      step = editor.key(data[at++] + (byte == 0xF2 ? 0 : 200 - 0xF3 + byte));
    }
    const int limit =
        (editor.state() & kStateCalculating) ? kMaxCalculationLength : kMaxFieldLength;
    if (static_cast<int>(editor.text().size()) > limit) std::abort();
    if (editor.cursor() < 0 || editor.cursor() > limit) std::abort();
    if (step.left) break;
  }
  int length = -1;
  const std::string reply = editor.reply_contents(0, &length);
  if (length < 0 || reply.size() != static_cast<std::size_t>(length)) std::abort();
  return 0;
}
