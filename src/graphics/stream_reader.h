#pragma once
// Cutting a graphics stream message into commands. Types 1 and 3 carry each command as its
// opcode and operands, whose size follows from the opcode (stream_opcodes.h); type 4 gives
// every command a length after its opcode: one byte below 0x80 (the operands are that value
// less 1), or two bytes (the first less 0x80 times 256 plus the second; the operands are that
// value less 2).
//
// Every size is checked against the bytes left. A command whose operands run past the end of
// the message is cut short: it is not carried out and the message ends there. A type-4
// command whose length is too small for its own bytes (a length byte 0, a two-byte length
// below 2) has no operands and is skipped; the next command follows its length bytes.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kovw::graphics {

// Stream message types.
inline constexpr int kStreamData = 1;         // KWK_SDATA
inline constexpr int kStreamRepeat = 3;       // KWK_SDREP
inline constexpr int kStreamWithLengths = 4;  // KWK_SDLEN

struct StreamCommand {
  int opcode = 0;
  std::span<const std::uint8_t> operands;
  std::size_t size = 0;    // the whole command: opcode, length bytes and operands
  bool malformed = false;  // a type-4 length too small for its own bytes
};

class StreamReader {
 public:
  StreamReader(std::span<const std::uint8_t> bytes, int type, std::int32_t library_version)
      : bytes_(bytes), type_(type), version_(library_version) {}

  bool at_end() const { return offset_ >= bytes_.size(); }
  // The next opcode without reading it, or -1 at the end.
  int peek() const { return at_end() ? -1 : bytes_[offset_]; }
  std::size_t offset() const { return offset_; }
  std::span<const std::uint8_t> rest() const { return bytes_.subspan(offset_); }
  // Takes every remaining byte (recording a stream without lengths).
  void skip_rest() { offset_ = bytes_.size(); }

  // Reads the next command; false at the end or when the command is cut short (the reader is
  // then at the end).
  bool next(StreamCommand& command);

  int type() const { return type_; }
  std::int32_t library_version() const { return version_; }

 private:
  std::span<const std::uint8_t> bytes_;
  int type_;
  std::int32_t version_;
  std::size_t offset_ = 0;
};

}  // namespace kovw::graphics
