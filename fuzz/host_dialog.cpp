// Host dialog definitions of arbitrary bytes, then user actions: a definition is taken whole or
// refused, the stack never holds more than ten, and every reply parses back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "dialogs/host_dialog.h"
#include "protocol/program/dialog_messages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kovw::dialogs;
  if (size < 2) return 0;
  // The first byte splits the input into two definitions; the last bytes drive actions.
  const std::size_t split = std::min<std::size_t>(data[0] * 4, size - 1);
  const std::span<const std::uint8_t> bytes(data + 1, size - 1);
  DialogState state;
  for (const auto part : {bytes.first(split), bytes.subspan(split)}) {
    const DialogStep step = state.define(part);
    if (step.reply && !kovw::protocol::parse_dialog_reply(step.payload)) std::abort();
    if (state.stacked() > static_cast<std::size_t>(kMaxStackedDialogs)) std::abort();
    for (std::size_t i = 0; i + 1 < part.size() && i < 16; i += 2) {
      DialogAction action;
      action.kind = static_cast<DialogAction::Kind>(part[i] % 12);
      action.value = static_cast<std::int8_t>(part[i + 1]) * 50;
      action.selected = part[i + 1];
      action.visible_lines = part[i] % 30;
      const DialogStep acted = state.act(action);
      if (acted.reply && !kovw::protocol::parse_dialog_reply(acted.payload)) std::abort();
      if (state.definition().header.first_line < 0) std::abort();
    }
  }
  return 0;
}
