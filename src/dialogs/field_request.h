#pragma once
// A host's request for an input field on a text screen: the 20-byte record (16-bit numbers
// little-endian), and what follows from it — the control flags and the classes of its type
// letter.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace kovw::dialogs {

inline constexpr int kMaxFieldLength = 1023;  // characters a field holds at most
inline constexpr int kMaxCalculationLength = 1024;

struct FieldRequest {
  std::int16_t field_kind = 0;
  std::int16_t cursor = 0;
  std::int16_t row = 0;
  std::int16_t column = 0;
  std::int16_t length = 0;
  std::int16_t display_width = 0;
  std::uint8_t case_rule = 0;
  std::uint8_t full_width = 0;
  std::uint8_t hidden = 0;
  std::uint8_t stay_when_full = 0;
  std::uint8_t text_colour = 0;
  std::uint8_t back_colour = 0;
  std::uint8_t request_flags = 0;
  std::uint8_t type_letter = 0;

  // The capacity: the length, clamped to 0 .. kMaxFieldLength.
  int capacity() const;
  // Width of the control in characters: display_width, else the capacity.
  int shown_width() const;
};

// The record from its bytes; nothing when fewer than 20.
std::optional<FieldRequest> decode_field_request(std::span<const std::uint8_t> record);

// Request flags.
inline constexpr std::uint8_t kRequestBoldFont = 0x04;
inline constexpr std::uint8_t kRequestUtf8 = 0x10;

// Control flags.
inline constexpr std::uint32_t kFieldHidden = 0x0001;
inline constexpr std::uint32_t kFieldInsert = 0x0002;
inline constexpr std::uint32_t kFieldLeaveWhenFull = 0x0004;
inline constexpr std::uint32_t kFieldCapitals = 0x0008;
inline constexpr std::uint32_t kFieldWordCharacters = 0x0010;
inline constexpr std::uint32_t kFieldCalculations = 0x0020;
inline constexpr std::uint32_t kFieldHiddenPreset = 0x0200;
inline constexpr std::uint32_t kFieldPresetShown = 0x0400;  // all "*" until the user types
inline constexpr std::uint32_t kFieldUtf8 = 0x10000;

std::uint32_t control_flags(const FieldRequest& request);

// Classes of a type letter.
inline constexpr int kClassNumeric = 0x1;
inline constexpr int kClassText = 0x2;
inline constexpr int kClassDate = 0x4;
inline constexpr int kClassTime = 0x8;
int field_classes(std::uint8_t type_letter);

}  // namespace kovw::dialogs
