#include "foundation/host_text.h"

#include <algorithm>
#include <array>

namespace kovw::foundation {

namespace {

// Windows-1252 for the bytes 0x80-0x9F; every other byte is the code point of the same
// number. The five bytes the code page leaves free stand for the C1 controls of their number.
constexpr std::array<char16_t, 32> kAnsiHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char32_t kReplacement = 0xFFFD;

unsigned char byte_at(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]);
}

// Decodes one well-formed UTF-8 sequence at `i` and advances past it. An ill-formed one gives
// U+FFFD and advances past its longest well-formed beginning (at least one byte).
char32_t decode_utf8(std::string_view text, std::size_t& i) {
  const unsigned char lead = byte_at(text, i++);
  if (lead < 0x80) return lead;
  int more = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2;
    code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3;
    code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return kReplacement;
  }
  for (int k = 0; k < more; ++k) {
    if (i >= text.size()) return kReplacement;
    const unsigned char next = byte_at(text, i);
    if (next < low || next > high) return kReplacement;
    code = (code << 6) | (next & 0x3F);
    low = 0x80;
    high = 0xBF;
    ++i;
  }
  return code;
}

// Appends `code` as UTF-16 when it fits into target[0, limit); false when it does not.
bool put_wide(std::span<char16_t> target, std::size_t limit, std::size_t& n, char32_t code) {
  if (code < 0x10000) {
    if (n >= limit) return false;
    target[n++] = static_cast<char16_t>(code);
    return true;
  }
  if (n + 2 > limit) return false;
  code -= 0x10000;
  target[n++] = static_cast<char16_t>(0xD800 + (code >> 10));
  target[n++] = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
  return true;
}

// Appends the UTF-8 form of `code` when it fits into target[0, limit).
bool put_utf8(std::span<char> target, std::size_t limit, std::size_t& n, char32_t code) {
  char bytes[4];
  std::size_t length = 0;
  if (code < 0x80) {
    bytes[length++] = static_cast<char>(code);
  } else if (code < 0x800) {
    bytes[length++] = static_cast<char>(0xC0 | (code >> 6));
    bytes[length++] = static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    bytes[length++] = static_cast<char>(0xE0 | (code >> 12));
    bytes[length++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    bytes[length++] = static_cast<char>(0x80 | (code & 0x3F));
  } else {
    bytes[length++] = static_cast<char>(0xF0 | (code >> 18));
    bytes[length++] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    bytes[length++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    bytes[length++] = static_cast<char>(0x80 | (code & 0x3F));
  }
  if (n + length > limit) return false;
  std::copy_n(bytes, length, target.begin() + static_cast<std::ptrdiff_t>(n));
  n += length;
  return true;
}

// The next code point of UTF-16 text; an unpaired surrogate gives U+FFFD.
char32_t decode_utf16(std::u16string_view text, std::size_t& i) {
  const char16_t unit = text[i++];
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i++] - 0xDC00);
  }
  return kReplacement;
}

bool is_control_or_blank(unsigned char byte) {
  return byte <= 0x20;
}

}  // namespace

int utf8_lead_length(unsigned char byte) {
  if (byte < 0x80) return 1;
  if (byte < 0xC0) return 0;
  if (byte < 0xC2) return -1;
  if (byte < 0xE0) return 2;
  if (byte < 0xF0) return 3;
  if (byte < 0xF8) return 4;
  if (byte < 0xFC) return 5;
  if (byte < 0xFE) return 6;
  return -1;
}

// The marker is the last byte 0xA0 with only bytes below 0x21 after it. Its byte value is
// also a UTF-8 continuation byte, so the bytes before it decide: the sequence whose lead byte
// precedes the marker either ends right before it (the usual case: the text is everything
// before the marker), or needs exactly this 0xA0 as its last byte. The second case is a text
// that ends in such a character and carries no marker, e.g. "... †" as E2 80 A0: the byte is
// then read as part of the character, so that the text stays intact (the alternative, taking
// it as the marker, would break the last character). A sequence that would need bytes beyond
// the 0xA0 is incomplete: the 0xA0 is the marker and the text ends before it, so that nothing
// past the string is ever read.
long marked_text_length(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && byte_at(text, end - 1) < 0x21) --end;
  if (end == 0 || byte_at(text, end - 1) != kUtf8Marker) return -1;
  const std::size_t marker = end - 1;
  std::size_t lead = marker;
  while (lead > 0 && utf8_lead_length(byte_at(text, lead - 1)) == 0) --lead;
  if (lead == 0) return static_cast<long>(marker);
  const int length = utf8_lead_length(byte_at(text, lead - 1));
  if (length > 0 && lead - 1 + static_cast<std::size_t>(length) == marker + 1) {
    return static_cast<long>(marker + 1);
  }
  return static_cast<long>(marker);
}

char16_t ansi_to_wide(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kAnsiHigh[byte - 0x80];
  return byte;
}

unsigned char wide_to_ansi(char32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) {
    return static_cast<unsigned char>(code_point);
  }
  for (std::size_t k = 0; k < kAnsiHigh.size(); ++k) {
    if (kAnsiHigh[k] == code_point) return static_cast<unsigned char>(0x80 + k);
  }
  return '?';
}

std::size_t host_to_wide(std::string_view source, std::span<char16_t> target, int flags) {
  while (!source.empty() && source.back() == '\0') source.remove_suffix(1);
  if (flags & kTextTrimBlanks) {
    while (!source.empty() && is_control_or_blank(byte_at(source, source.size() - 1))) {
      source.remove_suffix(1);
    }
  }
  const bool terminate = (flags & kTextTerminate) && !target.empty();
  const std::size_t limit = target.size() - (terminate ? 1 : 0);
  std::size_t n = 0;
  if (source.empty()) {
    if (terminate) target[0] = 0;
    return 0;
  }

  // Which encoding, and how much of the source is text.
  bool utf8 = (flags & kTextUtf8) != 0;
  std::string_view text = source;
  if (byte_at(source, source.size() - 1) == kUtf8Marker) {
    const long length = marked_text_length(source);
    // An empty text before the marker is an empty UTF-8 string, not a no-break space.
    if (length >= 0) {
      utf8 = true;
      text = source.substr(0, static_cast<std::size_t>(length));
    }
  } else if (flags & kTextMarker) {
    std::size_t end = source.size();
    while (end > 0 && byte_at(source, end - 1) < 0x20) --end;
    if (end > 0 && byte_at(source, end - 1) == kUtf8Marker) {
      utf8 = true;
      text = source.substr(0, static_cast<std::size_t>(marked_text_length(source.substr(0, end))));
    }
  }

  if (utf8) {
    for (std::size_t i = 0; i < text.size();) {
      if (!put_wide(target, limit, n, decode_utf8(text, i))) break;
    }
  } else {
    for (std::size_t i = 0; i < text.size() && n < limit; ++i) {
      target[n++] = ansi_to_wide(byte_at(text, i));
    }
  }

  if (flags & kTextPad) {
    std::fill(target.begin() + static_cast<std::ptrdiff_t>(n),
              target.begin() + static_cast<std::ptrdiff_t>(limit), u' ');
    n = limit;
  } else if (flags & kTextTrimBlanks) {
    while (n > 0 && target[n - 1] == u' ') --n;
  }
  if (terminate) target[n] = 0;
  return n;
}

std::u16string host_to_wide(std::string_view source, int flags) {
  // A byte gives at most one UTF-16 unit (four bytes give two).
  std::u16string result(source.size(), u'\0');
  result.resize(host_to_wide(source, result, flags & ~(kTextPad | kTextTerminate)));
  return result;
}

std::size_t wide_to_host(std::u16string_view source, std::span<char> target, int flags) {
  while (!source.empty() && source.back() == u'\0') source.remove_suffix(1);
  const bool utf8 = (flags & (kTextUtf8 | kTextMarker)) != 0;
  const std::size_t reserved = ((flags & kTextTerminate) ? 1 : 0) + ((flags & kTextMarker) ? 1 : 0);
  const std::size_t limit = target.size() > reserved ? target.size() - reserved : 0;
  std::size_t n = 0;
  for (std::size_t i = 0; i < source.size();) {
    const char32_t code = decode_utf16(source, i);
    if (utf8) {
      if (!put_utf8(target, limit, n, code)) break;
    } else {
      if (n >= limit) break;
      target[n++] = static_cast<char>(wide_to_ansi(code));
    }
  }
  if (flags & kTextPad) {
    std::fill(target.begin() + static_cast<std::ptrdiff_t>(n),
              target.begin() + static_cast<std::ptrdiff_t>(limit), ' ');
    n = limit;
  } else if (flags & kTextTrimBlanks) {
    while (n > 0 && target[n - 1] == ' ') --n;
  }
  if ((flags & kTextMarker) && n < target.size()) target[n++] = static_cast<char>(kUtf8Marker);
  if ((flags & kTextTerminate) && n < target.size()) target[n] = '\0';
  return n;
}

std::string wide_to_host(std::u16string_view source, int flags) {
  // A UTF-16 unit gives at most three bytes; one more for the marker.
  std::string result(source.size() * 3 + 1, '\0');
  result.resize(wide_to_host(source, result, flags & ~(kTextPad | kTextTerminate)));
  return result;
}

std::size_t copy_field(std::span<char> target, std::string_view source) {
  if (target.empty()) return 0;
  source = source.substr(0, std::min(source.find('\0'), target.size() - 1));
  while (!source.empty() && source.back() == ' ') source.remove_suffix(1);
  std::copy(source.begin(), source.end(), target.begin());
  target[source.size()] = '\0';
  return source.size();
}

std::string copy_field(std::string_view source, std::size_t capacity) {
  std::string result(capacity, '\0');
  result.resize(copy_field(std::span<char>(result), source));
  return result;
}

}  // namespace kovw::foundation
