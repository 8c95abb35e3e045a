#include "graphics/stream_opcodes.h"

#include "protocol/little_endian.h"

namespace kovw::graphics {

std::string_view opcode_name(int opcode) {
  switch (opcode) {
    case DB_END:
      return "DB_END";
    case DB_RESET:
      return "DB_RESET";
    case DB_FONT:
      return "DB_FONT";
    case DB_TOPT:
    case DB_TOPT7:
      return "DB_TOPT";
    case DB_TANGLE:
      return "DB_TANGLE";
    case DB_FLUSH:
    case DB_REFRESH:
      return "DB_FLUSH";
    case DB_LART:
      return "DB_LART";
    case DB_LWID:
      return "DB_LWID";
    case DB_LMARK:
      return "DB_LMARK";
    case DB_LOPT:
      return "DB_LOPT";
    case DB_FILL:
    case DB_FILL2:
      return "DB_FILL";
    case DB_TEXT:
      return "DB_TEXT";
    case DB_LINE:
      return "DB_LINE";
    case DB_KREIS:
    case DB_KREIS_BOX:
      return "DB_KREIS";
    case DB_RECT:
      return "DB_RECT";
    case DB_HGF:
      return "DB_HGF";
    case DB_PIEP:
      return "DB_PIEP";
    case DB_MSG:
      return "DB_MSG";
    case DB_CONTROL:
      return "DB_CONTROL";
    case DB_TLEN:
      return "DB_TLEN";
    case DB_SENSE:
      return "DB_SENSE";
    case DB_WINOP:
      return "DB_WINOP";
    case DB_WINSEG:
      return "DB_WINSEG";
    case DB_BARS:
      return "DB_BARS";
    case DB_PICTURE:
      return "DB_PICTURE";
    case DB_MEDIA:
      return "DB_MEDIA";
    case DB_SETFONT:
      return "DB_SETFONT";
    case DB_MEDIAOPT:
      return "DB_MEDIAOPT";
    default:
      if (opcode >= DB_COLOUR_FIRST && opcode <= DB_COLOUR_LAST) return "DB_COLOUR";
      return "?";
  }
}

std::size_t fixed_operand_size(int opcode, std::int32_t library_version) {
  switch (opcode) {
    case DB_FONT:
      return library_version >= kVersionFontAttribute ? 6 : 4;
    case DB_TOPT:
      return 10;
    case DB_TOPT7:
      return 11;
    case DB_TANGLE:
    case DB_TLEN:
      return 4;
    case DB_LART:
    case DB_LWID:
    case DB_LMARK:
    case DB_LOPT:
    case DB_FILL:
      return 1;
    case DB_FILL2:
      return 2;
    case DB_TEXT:
      return 10;
    case DB_LINE:
    case DB_MSG:
      return 2;
    case DB_KREIS:
      return 22;
    case DB_KREIS_BOX:
      return 38;
    case DB_RECT:
      if (library_version >= kVersionRectRadius) return 26;
      if (library_version >= kVersionRectExtra) return 24;
      return 23;
    case DB_HGF:
      return 5;
    case DB_CONTROL:
      return 18;
    case DB_SENSE:
      return library_version >= kVersionSenseWindow ? 28 : 24;
    case DB_WINOP:
      return 6;
    case DB_WINSEG:
      return 18;
    case DB_BARS:
      return 22;
    case DB_PICTURE:
    case DB_MEDIA:
      return 19;
    case DB_SETFONT:
      return 3;
    case DB_MEDIAOPT:
      return 8;
    default:
      if (opcode >= DB_COLOUR_FIRST && opcode <= DB_COLOUR_LAST) return 3;
      return 0;
  }
}

namespace {

// The size of a picture's parameters and of a media record's tail after the file name.
constexpr std::size_t kPictureParameters = 66;
constexpr std::size_t kMediaTail = 20;

}  // namespace

std::optional<std::size_t> operand_size(int opcode, std::span<const std::uint8_t> operands,
                                        std::int32_t library_version) {
  const std::size_t fixed = fixed_operand_size(opcode, library_version);
  auto count_at = [&](std::size_t offset) -> std::optional<std::size_t> {
    if (operands.size() < offset + 2) return std::nullopt;
    return protocol::le16(operands.data() + offset);
  };
  switch (opcode) {
    case DB_TEXT:
    case DB_MSG:
    case DB_BARS: {
      const auto n = count_at(0);
      if (!n) return std::nullopt;
      return fixed + *n;
    }
    case DB_LINE: {
      const auto n = count_at(0);
      if (!n) return std::nullopt;
      return fixed + 8 * *n;
    }
    case DB_SENSE: {
      const auto flags = count_at(2);
      if (!flags) return std::nullopt;
      return fixed + (*flags & 0xFF);
    }
    case DB_PICTURE:
    case DB_MEDIA: {
      const auto n = count_at(17);
      if (!n) return std::nullopt;
      return fixed + *n + (opcode == DB_PICTURE ? kPictureParameters : kMediaTail);
    }
    case DB_SETFONT: {
      const auto n = count_at(1);
      if (!n) return std::nullopt;
      return fixed + *n;
    }
    default:
      return fixed;
  }
}

}  // namespace kovw::graphics
