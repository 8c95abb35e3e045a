#include "session/program/request_failures.h"

#include "foundation/message_table.h"
#include "net/link_names.h"
#include "protocol/program/error_answers.h"
#include "session/program/handler_context.h"
#include "session/program/program_dispatch.h"

namespace kovw::session {

void answer_unreadable_request(Replies& replies, int type, const protocol::ParseFailure& failure) {
  log_parse_failure(failure);
  if (const auto answer =
          protocol::error_answer(net::KWD_KOMM, type, failure, foundation::german()))
    replies.send(*answer);
}

}  // namespace kovw::session
