// Seeds of the shell's targets: the updater's download (offered size, then frames of type,
// 16-bit length and payload).
#include "net/link_names.h"
#include "seed_set.h"

namespace kovw::fuzz {

namespace {

void frame(Bytes& out, int type, const Bytes& payload) {
  out.push_back(static_cast<std::uint8_t>(type));
  out.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
  out.push_back(static_cast<std::uint8_t>(payload.size()));
  out.insert(out.end(), payload.begin(), payload.end());
}

Bytes offered(std::uint32_t size) {
  return {static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
          static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)};
}

}  // namespace

void add_shell_seeds(SeedSet& seeds) {
  const Bytes half(16, 0x7F);
  Bytes complete = offered(32);
  frame(complete, net::KWK_KDATA, half);
  frame(complete, net::KWK_KDATA, half);
  frame(complete, net::KWK_KOMOK, {});
  seeds.add("updater_download", "complete", complete);

  Bytes refused = offered(32);
  frame(refused, net::KWK_KDATA, half);
  frame(refused, net::KWK_KOMFAIL, {0x00, 0x04, 0, 0, 0, 5, 0x00, 0x03, 'n', 'o', 0});
  seeds.add("updater_download", "refused", refused);

  Bytes too_much = offered(20);
  frame(too_much, net::KWK_KDATA, half);
  frame(too_much, net::KWK_KDATA, half);
  seeds.add("updater_download", "more_than_offered", too_much);

  Bytes cancelled = offered(32);
  frame(cancelled, net::KWK_KDATA, half);
  frame(cancelled, 0xFF, {});
  frame(cancelled, net::KWK_KDATA, half);
  frame(cancelled, net::KWK_KOMOK, {});
  seeds.add("updater_download", "cancelled", cancelled);
}

}  // namespace kovw::fuzz
