#pragma once
// The answer a host gets when its request could not be read (a text longer than the field
// that receives it, a count beyond the payload, a payload cut short). Hosts wait for the
// answer of these requests, so a broken request is answered with a clear error instead of
// being dropped, which would leave the host waiting for ever.

#include <optional>

#include "protocol/outgoing.h"
#include "protocol/result.h"

namespace kovw::protocol {

// The error code reported for a failure: the C-library error (offset by 20000, the numbering
// of the error texts) of a name or text that is too long, else of an invalid argument.
int failure_error_code(const ParseFailure& failure);

// The error answer for a request of `service`/`type` that failed to parse, or nullopt when the
// host does not wait for an answer to that request. `german` selects the language of texts.
std::optional<Outgoing> error_answer(int service, int type, const ParseFailure& failure,
                                     bool german);

}  // namespace kovw::protocol
