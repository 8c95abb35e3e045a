#include "graphics/stream_reader.h"

#include "graphics/stream_opcodes.h"

namespace kovw::graphics {

bool StreamReader::next(StreamCommand& command) {
  if (at_end()) return false;
  const std::size_t start = offset_;
  const std::span<const std::uint8_t> after = bytes_.subspan(start + 1);
  command = StreamCommand{};
  command.opcode = bytes_[start];
  std::size_t header = 1;
  std::size_t operands = 0;
  if (type_ == kStreamWithLengths) {
    if (after.empty()) {
      offset_ = bytes_.size();
      return false;
    }
    const unsigned first = after[0];
    if (first < 0x80) {
      header = 2;
      if (first == 0)
        command.malformed = true;
      else
        operands = first - 1;
    } else {
      if (after.size() < 2) {
        offset_ = bytes_.size();
        return false;
      }
      header = 3;
      const unsigned length = (first & 0x7F) * 256u + after[1];
      if (length < 2)
        command.malformed = true;
      else
        operands = length - 2;
    }
  } else {
    const auto size = operand_size(command.opcode, after, version_);
    if (!size) {
      offset_ = bytes_.size();
      return false;
    }
    operands = *size;
  }
  if (bytes_.size() - start - header < operands) {
    offset_ = bytes_.size();
    return false;
  }
  command.operands = bytes_.subspan(start + header, operands);
  command.size = header + operands;
  offset_ = start + command.size;
  return true;
}

}  // namespace kovw::graphics
