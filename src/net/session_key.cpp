#include "net/session_key.h"

#include <nettle/md5.h>

#include "net/link_constants.h"

namespace kovw::net {

SessionKey derive_session_key(const std::uint8_t* client_value, const std::uint8_t* server_value) {
  const auto& k = kSessionKeyConstant;
  std::uint8_t x[16], y[16];
  for (int j = 0; j < 16; ++j) {
    x[j] = static_cast<std::uint8_t>(k[j] ^ client_value[15 - j]);
    y[j] = static_cast<std::uint8_t>(server_value[j] | k[15 - j]);
  }
  md5_ctx md5;
  md5_init(&md5);
  md5_update(&md5, 16, client_value);
  md5_update(&md5, 16, x);
  md5_update(&md5, 16, server_value);
  md5_update(&md5, 16, y);
  md5_update(&md5, 16, k.data());
  std::uint8_t d[16];
  md5_digest(&md5, sizeof d, d);
  static constexpr int kOrder[16] = {6, 0, 7, 1, 12, 8, 2, 13, 9, 3, 14, 10, 4, 15, 11, 5};
  SessionKey key;
  for (int i = 0; i < 16; ++i) key[i] = d[kOrder[i]];
  return key;
}

}  // namespace kovw::net
