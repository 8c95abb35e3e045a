#pragma once
// Host text: 8-bit strings from host programs are in the ANSI code page (Windows-1252) or,
// when they end with the marker byte 0xA0 (only bytes below 0x21 may follow it), in UTF-8.
// Windows work with wide text (UTF-16). This converts between the two in both directions.
//
// Sources are taken with their explicit length; pass std::string_view(c_string) for a
// zero-terminated one. Targets are caller fields of a fixed capacity: nothing is written past
// them, and a character is never split (a surrogate pair or a UTF-8 sequence that does not
// fit is left out whole). Room for the terminating zero (flag 1) and the marker (flag 0x10)
// is kept free while converting, so both always fit into a field of at least that size.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace kovw::foundation {

inline constexpr unsigned char kUtf8Marker = 0xA0;

// Flags of host_to_wide and wide_to_host.
inline constexpr int kTextTerminate = 0x01;   // zero-terminate the target
inline constexpr int kTextPad = 0x02;         // pad the target with blanks to its capacity
inline constexpr int kTextTrimBlanks = 0x04;  // drop trailing blanks
inline constexpr int kTextUtf8 = 0x08;        // host side is UTF-8 even without a marker
inline constexpr int kTextMarker = 0x10;      // host_to_wide: marker also behind control
                                              // bytes; wide_to_host: UTF-8 with the marker

// Length of a UTF-8 sequence by its lead byte (the early six-byte form): 1 to 6; 0 for a
// continuation byte (0x80-0xBF); -1 for a byte that never starts one (0xC0, 0xC1, 0xFE, 0xFF).
int utf8_lead_length(unsigned char byte);

// Bytes of UTF-8 text before the marker, or -1 when `text` carries no marker. A text that
// ends in a complete UTF-8 sequence whose last byte is 0xA0 with no marker after it (U+2020
// is E2 80 A0) keeps that byte as part of its last character (see host_text.cpp).
long marked_text_length(std::string_view text);

// Converts a host string into `target`; returns the number of wide characters written
// (padding included, the terminating zero not). Flags: kTextTerminate, kTextPad (up to the
// capacity, one less with kTextTerminate), kTextTrimBlanks (trailing bytes up to 0x20 of the
// source, and trailing blanks of the result when not padding), kTextUtf8, kTextMarker (look
// for the marker also behind trailing bytes below 0x20).
std::size_t host_to_wide(std::string_view source, std::span<char16_t> target, int flags = 0);
// The same without a capacity limit (kTextPad and kTextTerminate have no effect).
std::u16string host_to_wide(std::string_view source, int flags = 0);

// Converts wide text into a host string in `target`; returns the number of bytes written
// (padding and marker included, the terminating zero not). Flags: kTextUtf8 or kTextMarker
// write UTF-8 (else the ANSI code page, '?' for characters it lacks); kTextMarker appends the
// marker; kTextPad pads with blanks up to the capacity less one byte for each of
// kTextTerminate and kTextMarker; kTextTrimBlanks drops trailing blanks when not padding;
// kTextTerminate appends a zero byte.
std::size_t wide_to_host(std::u16string_view source, std::span<char> target, int flags = 0);
// The same without a capacity limit (kTextPad and kTextTerminate have no effect).
std::string wide_to_host(std::u16string_view source, int flags = 0);

// Copies a blank-padded fixed-width field of a message into `target` as a plain string: at
// most target.size() - 1 bytes, up to the first zero byte, without trailing blanks and zero
// bytes, zero-terminated. Returns the resulting length (0 for an empty target).
std::size_t copy_field(std::span<char> target, std::string_view source);
// The same as a std::string of at most `capacity` - 1 bytes.
std::string copy_field(std::string_view source, std::size_t capacity);

// The ANSI code page (Windows-1252): one byte to its character and back ('?' when lacking).
char16_t ansi_to_wide(unsigned char byte);
unsigned char wide_to_ansi(char32_t code_point);

}  // namespace kovw::foundation
