// Every server-link parser over arbitrary payloads: the first byte picks the parser, the rest is
// the payload. Also feeds the parsed values back through the builders. The selectors of the
// messages described field by field go to all parsers of the message table.
#include <cstddef>
#include <cstdint>
#include <span>

#include "described_messages.h"
#include "net/twofish_cipher.h"
#include "protocol/server_messages.h"

using namespace kovw::protocol;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const Payload p(data + 1, size - 1);
  switch (data[0] % 30) {
    case 0:
      if (auto r = parse_connect_request(p)) build_connect_request(*r);
      break;
    case 1:
      if (auto r = parse_connect_reply(p)) build_connect_reply(*r);
      break;
    case 2:
      if (auto r = parse_login_request(p)) build_login_request(*r);
      break;
    case 3:
      parse_login_refusal(p);
      break;
    case 4: {
      LoginReplyContext context;
      context.workflow_mode = (data[0] & 0x80) != 0;
      context.running_version = 0x070305;
      if (auto r = parse_login_reply(p, context)) build_login_reply(*r, context.workflow_mode);
      break;
    }
    case 5:
      kovw::fuzz::parse_described_messages(p, false);
      break;
    case 6:
      kovw::fuzz::parse_described_messages(p, false);
      break;
    case 7:
      kovw::fuzz::parse_described_messages(p, false);
      break;
    case 8:
      if (auto r = parse_start_reply(6, p)) build_start_reply(*r);
      break;
    case 9:
      kovw::fuzz::parse_described_messages(p, false);
      break;
    case 10:
      if (auto r = parse_stop_request(p)) build_stop_request(*r);
      break;
    case 11:
      parse_host_message(p);
      break;
    case 12:
      kovw::fuzz::parse_described_messages(p, false);
      break;
    case 13:
      parse_proxy_event(13, p);
      break;
    case 14:
      parse_program_info(p);
      break;
    case 15:
      parse_program_end_notice(p);
      break;
    case 16:
      parse_program_ended(p);
      break;
    case 17:
      parse_password_change(p);
      break;
    case 18:
      parse_password_refusal(p);
      break;
    case 19:
      parse_cron_request(p);
      break;
    case 20:
      kovw::fuzz::parse_described_messages(p, false);
      break;
    case 21:
      kovw::fuzz::parse_described_messages(p, false);
      break;
    case 22:
      kovw::fuzz::parse_described_messages(p, false);
      break;
    case 23:
      kovw::fuzz::parse_described_messages(p, false);
      break;
    case 24:
      parse_host_answer(p);
      is_host_query(p);
      break;
    case 25: {
      static const kovw::net::TwofishCipher cipher = [] {
        kovw::net::TwofishCipher c;
        const std::uint8_t key[16] = {1, 2, 3};
        c.set_key(key, sizeof key);
        return c;
      }();
      decode_password_field(p, &cipher);
      break;
    }
    default:
      describe_server_message(data[0], p, (data[0] & 1) != 0);
      break;
  }
  return 0;
}
