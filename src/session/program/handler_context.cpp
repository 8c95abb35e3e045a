#include "session/program/handler_context.h"

#include "foundation/log.h"
#include "protocol/program/retc.h"

namespace kovw::session {

int Replies::send_retc(int count, int service, int type, std::int32_t first, std::int32_t second,
                       std::int32_t third, std::int32_t fourth) {
  foundation::log_printf("Send Retc %d/ %d - %d - %d - %d", type, first, second, third, fourth);
  const std::int32_t values[] = {first, second, third, fourth};
  const protocol::Outgoing answer = protocol::build_retc(
      service, type, std::span<const std::int32_t>(values, static_cast<std::size_t>(count)));
  return send(answer);
}

}  // namespace kovw::session
