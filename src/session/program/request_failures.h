#pragma once
// A request that could not be read (a text longer than its field, a payload cut short): the
// failure is logged, and a host that waits for the request's answer gets an error answer
// instead of waiting for ever.

#include "protocol/result.h"

namespace kovw::session {

class Replies;

// Logs `failure` and sends the error answer of a KWD_KOMM request of `type`, when it has one.
void answer_unreadable_request(Replies& replies, int type, const protocol::ParseFailure& failure);

}  // namespace kovw::session
