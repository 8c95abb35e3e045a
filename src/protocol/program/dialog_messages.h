#pragma once
// Host dialog messages as a host writes and reads them: the definition (a header record with
// tag 5, button records with tag 6, text fields with tag 16382) and the workstation's reply
// (the header record, the result, and the input text). The workstation's own model of them is
// in src/dialogs; this is the host's side, for tools and tests.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/outgoing.h"
#include "protocol/result.h"

namespace kovw::protocol {

struct DialogMessageButton {
  std::string label;  // at most 20 bytes
  std::string help;   // at most 80 bytes
  int key = 0;
  int result = 0;
  int flags = 0;  // 0x0002 hidden
};

struct DialogMessage {
  int kind = 0;
  int flags = 0;
  int visible_lines = 0;
  int width = 0;
  int selected = 0;
  int line_length = 0;
  int input_length = 0;
  int total_lines = 0;
  int first_line = 0;
  std::vector<DialogMessageButton> buttons;  // sent for kinds below 32
  std::vector<std::string> lines;            // sent (with the title) for kinds up to 32
  std::string title;
  std::optional<std::string> input;  // the preset input of kinds below 32 that have one
};

// KWK_WDIALOG (service KWD_WIN) or KWK_GDIALOG (KWD_DIGRA): `service` and `type` choose.
Outgoing build_dialog_definition(int service, int type, const DialogMessage& message);

struct DialogReply {
  int kind = 0, flags = 0, visible_lines = 0, selected = 0, key = 0, changed = 0;
  int first_line = 0;
  int result = 0;
  std::optional<std::string> input;
};

Result<DialogReply> parse_dialog_reply(std::span<const std::uint8_t> payload);

}  // namespace kovw::protocol
