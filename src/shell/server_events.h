#pragma once
// The reaction to every message the server daemon sends while the workstation is logged in.

#include <cstdint>
#include <span>

#include "net/link_message.h"

namespace kovw::shell {

class ServerConnection;

// Handles one received message of the server link (on the GUI thread). Unknown types are
// ignored; a malformed payload ends the event without effect.
void dispatch_server_event(ServerConnection& connection, const net::LinkMessage& message,
                           std::span<const std::uint8_t> payload);

}  // namespace kovw::shell
