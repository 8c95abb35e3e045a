#include "protocol/trace_redaction.h"

#include "net/link_names.h"
#include "protocol/payload_codec.h"
#include "protocol/server_messages.h"

namespace kovw::protocol {

namespace {

std::vector<std::uint8_t> marker(std::size_t size) {
  std::vector<std::uint8_t> bytes(kTracePasswordMarker.begin(), kTracePasswordMarker.end());
  bytes.resize(size, 0);
  return bytes;
}

}  // namespace

void redact_passwords(int service, int type, std::vector<std::uint8_t>& payload) {
  if (service != net::KWD_KOMM) return;
  if (type == net::KWK_KLOGIN) {
    Result<LoginRequest> login = parse_login_request(payload);
    if (!login) {
      payload = marker(kTracePasswordMarker.size() + 1);
      return;
    }
    login->password_field = marker(kTracePasswordMarker.size() + 1);
    payload = build_login_request(*login).payload;
  } else if (type == net::KWK_KPASS) {
    PayloadReader in(payload);
    const std::int32_t kind = in.int_field("kind");
    in.exact_bytes("old password", 16);
    in.exact_bytes("new password", 16);
    if (!in.ok()) {
      payload = marker(kTracePasswordMarker.size() + 1);
      return;
    }
    std::vector<std::uint8_t> rebuilt;
    PayloadWriter out(rebuilt);
    out.int_field(kind).bytes(marker(16)).bytes(marker(16));
    payload = std::move(rebuilt);
  }
}

}  // namespace kovw::protocol
