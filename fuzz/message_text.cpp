// Message texts that carry host strings: conversion to UTF-8, box line breaks and the lines of
// the workstation's message dialog must accept any bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/message_text_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool utf8 = data[0] & 1;
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string text = kovw::foundation::message_text_to_utf8(input, utf8);
  // The converted text is always valid UTF-8: converting it again changes nothing.
  if (kovw::foundation::message_text_to_utf8(text, true) != text) __builtin_trap();
  const std::string box = kovw::foundation::message_box_text(text);
  if (box.size() > text.size()) __builtin_trap();
  const auto lines = kovw::foundation::message_dialog_lines(box);
  if (lines.empty() || lines.size() > 10) __builtin_trap();
  return 0;
}
