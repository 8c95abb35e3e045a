#include "session/program/colour_choice.h"

#include <algorithm>

#include "platform/colour_chooser.h"
#include "protocol/program/host_requests.h"
#include "session/program/handler_context.h"
#include "session/program/program_dispatch.h"
#include "session/program/session_host.h"
#include "session/window_registry.h"

#include "net/link_names.h"
#include "session/program/command_table.h"

namespace kovw::session {

namespace {

int colour_part(std::int32_t value) {
  return std::clamp(value, 0, 255);
}

}  // namespace

void handle_colour_choice(HandlerContext& context, std::span<const std::uint8_t> payload) {
  const auto request = protocol::parse_kgetcol(payload);
  if (!request) {
    log_parse_failure(request.error());
    return;
  }
  const protocol::Colour& sent = *request;
  const QRgb initial = qRgb(colour_part(sent.red), colour_part(sent.green), colour_part(sent.blue));

  // The settings are read and written here, on the program thread, never while the GUI thread
  // runs the dialog.
  const SessionHost& host = context.host;
  const platform::CustomColours custom =
      host.load_custom_colours ? host.load_custom_colours() : platform::CustomColours{};
  const std::int64_t main_window = context.main_window;
  const platform::ColourChoice choice = platform::choose_colour(
      initial, custom, [main_window] { return registered_window(main_window); });
  if (host.save_custom_colours && choice.custom != custom) host.save_custom_colours(choice.custom);

  protocol::ColourAnswer answer;
  if (choice.chosen) {
    answer.colour = {qRed(choice.colour), qGreen(choice.colour), qBlue(choice.colour)};
    answer.result = protocol::kChoiceChosen;
  } else {
    answer.colour = sent;  // unchanged, as the host sent it
    answer.result = protocol::kChoiceCancelled;
  }
  const protocol::Outgoing out = protocol::build_colour_answer(answer);
  context.replies.send(out);
}

void register_colour_choice_commands(CommandTable& table) {
  table.add(net::KWD_KOMM, net::KWK_KGETCOL, [](HandlerContext& context, const Command& command) {
    handle_colour_choice(context, command.payload);
  });
}

}  // namespace kovw::session
