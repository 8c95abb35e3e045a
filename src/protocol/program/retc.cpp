#include "protocol/program/retc.h"

#include <algorithm>

#include "net/link_names.h"
#include "protocol/payload_codec.h"
#include "protocol/program/host_versions.h"

namespace kovw::protocol {

Outgoing build_retc(int service, int type, std::span<const std::int32_t> values) {
  Outgoing out{service, type, {}};
  PayloadWriter write(out.payload);
  for (std::size_t i = 0; i < std::min<std::size_t>(values.size(), 4); ++i)
    write.int_field(values[i]);
  return out;
}

Outgoing build_retc(int service, int type, std::initializer_list<std::int32_t> values) {
  return build_retc(service, type, std::span<const std::int32_t>(values.begin(), values.size()));
}

Result<std::vector<std::int32_t>> parse_retc(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "Retc");
  std::vector<std::int32_t> values;
  values.push_back(in.int_field("value"));
  while (in.ok() && in.more()) {
    if (values.size() == 4) {
      in.fail(ParseError::kMalformed, "more than four values");
      break;
    }
    values.push_back(in.int_field("value"));
  }
  if (in.ok() && in.remaining() != 0) in.fail(ParseError::kMalformed, "stray byte after values");
  return in.finish(std::move(values));
}

Outgoing build_stream_retc() {
  return Outgoing{net::KWD_STREAM, net::KWK_SRETC, {}};
}

bool stream_wants_retc(int type, std::int32_t host_version) {
  if (host_version > kVersionLastStreamRetc) return false;
  if (type == net::KWK_SDREP) return true;
  if (type != net::KWK_SDLEN) return false;
  return host_version >= kVersionRetcAfterBoth || host_version < kVersionRetcAfterLength;
}

Outgoing build_keep_alive() {
  return Outgoing{net::KWD_CONNECT, net::KWK_CONNECT, {}};
}

bool is_keep_alive(int service, int type) {
  return service == net::KWD_CONNECT && type == net::KWK_CONNECT;
}

}  // namespace kovw::protocol
