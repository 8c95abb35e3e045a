#pragma once
// Local file operations that a host program asks for (KWK_KDEL, KWK_KWIPE, KWK_KMKDIR,
// KWK_KRMDIR, KWK_KRMALL) and the file check (KWK_KFILECHECK). Paths pass through the path
// synonyms; failures are answered with the C-library error (kErrnoErrorBase + errno) and its
// text, success with code 0.

#include <cstdint>
#include <span>

namespace kovw::session {

class CommandTable;

struct HandlerContext;

// One of the five file operations of `type`; always answers.
void handle_file_operation(HandlerContext& context, int type,
                           std::span<const std::uint8_t> payload);

// KWK_KFILECHECK: the status of one file; always answers.
void handle_file_check(HandlerContext& context, std::span<const std::uint8_t> payload);

// Registers The file operations and KWK_KFILECHECK of service KWD_KOMM.
void register_local_file_commands(CommandTable& table);

}  // namespace kovw::session
