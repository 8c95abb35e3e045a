#include "protocol/program/outgoing.h"

#include <string>

#include "net/fields.h"

namespace kovw::protocol {

void put_int(std::vector<std::uint8_t>& out, std::int64_t value) {
  net::put_int_field(out, value, 4);
}

void put_text(std::vector<std::uint8_t>& out, std::string_view text) {
  std::string zero_terminated(text);
  zero_terminated.push_back('\0');
  net::put_bytes_field(out, zero_terminated.data(), zero_terminated.size());
}

}  // namespace kovw::protocol
