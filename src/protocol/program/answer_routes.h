#pragma once
// Which answer a program-link request gets: its service and type. As a rule the answer has the
// request's service and type; this table also holds the requests answered under another one
// (KWK_PDIGRA with 1/1, KWK_GGETEX with 1/9, KWK_WTEST with key data 4/3, KWK_WDIALOG with
// 1/6, KWK_LDIALOG with 7/7, the stream's KWK_SRETC, KWK_WMELDE without a Retc request).
// The host side waits for exactly this service and type and discards other frames.

#include <cstdint>
#include <optional>

namespace kovw::protocol {

struct AnswerRoute {
  int service = 0;
  int type = 0;
  bool later = false;  // sent when the user acts, not at once
  bool operator==(const AnswerRoute&) const = default;
};

// The answer of request `service`/`type` from a host library of `host_version`; `flags` is the
// first item where it decides (KWK_WMELDE). nullopt when the request gets no answer.
std::optional<AnswerRoute> answer_route(int service, int type, std::int32_t host_version,
                                        std::int32_t flags = 0);

}  // namespace kovw::protocol
