#include "protocol/program/start_messages.h"

#include "net/link_names.h"
#include "protocol/described_message.h"
#include "protocol/payload_codec.h"

namespace kovw::protocol {

Outgoing build_kinit(const KInit& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KINIT, {}};
  PayloadWriter write(out.payload);
  write.int_field(message.host_pid);
  write.text(message.program_name);
  if (!message.host_version) return out;
  const std::int32_t version = *message.host_version;
  write.int_field(version);
  if (version < kVersionParentWindow) return out;
  write.int_field(message.parent_window);
  if (version < kVersionEmbedFlag) return out;
  write.int_field(message.embed.value_or(0));
  if (version < kVersionLinkTimeout) return out;
  write.int_field(message.link_timeout_ms.value_or(0));
  return out;
}

Result<KInit> parse_kinit(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KINIT");
  KInit message;
  message.host_pid = in.int_field("host pid");
  message.program_name = in.text("program name");
  message.host_version = in.optional_int_field("host library version");
  const std::int32_t version = message.version();
  if (version >= kVersionParentWindow)
    message.parent_window = in.optional_int_field("parent window").value_or(0);
  if (version >= kVersionEmbedFlag) message.embed = in.optional_int_field("embed flag");
  if (version >= kVersionLinkTimeout)
    message.link_timeout_ms = in.optional_int_field("link time-out");
  return in.finish(std::move(message));
}

Outgoing build_kgetwinid_request() {
  return Outgoing{net::KWD_KOMM, net::KWK_KGETWINID, {}};
}

Outgoing build_window_ids(const WindowIds& answer) {
  return build_described(net::KWD_KOMM, net::KWK_KGETWINID, answer);
}

Result<WindowIds> parse_window_ids(std::span<const std::uint8_t> payload) {
  return parse_described<WindowIds>(payload, "KWK_KGETWINID");
}

Outgoing build_kreconnect(const KReconnect& message) {
  Outgoing out{net::KWD_KOMM, KWK_KRECONNECT, {}};
  PayloadWriter write(out.payload);
  write.int_field(message.host_pid);
  write.int_field(message.main_window);
  write.int_field(message.thread_id);
  write.int_field(0);
  return out;
}

Result<KReconnect> parse_kreconnect(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KRECONNECT");
  KReconnect message;
  message.host_pid = in.int_field("host pid");
  message.main_window = in.int_field("main window");
  message.thread_id = in.int_field("thread id");
  in.optional_int_field("reserved");  // sent by hosts, never used
  return in.finish(message);
}

Outgoing build_kcflag(std::int32_t bits) {
  Outgoing out{net::KWD_KOMM, net::KWK_KCFLAG, {}};
  PayloadWriter write(out.payload);
  write.int_field(bits);
  return out;
}

Result<std::int32_t> parse_kcflag(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KCFLAG");
  const std::int32_t bits = in.int_field("bits");
  return in.finish(bits);
}

Outgoing build_kmap(const KMap& message) {
  return build_described(net::KWD_KOMM, net::KWK_KMAP, message);
}

Result<KMap> parse_kmap(std::span<const std::uint8_t> payload) {
  return parse_described<KMap>(payload, "KWK_KMAP");
}

Outgoing build_kbutton(const KButton& message) {
  Outgoing out{net::KWD_KOMM, message.index ? net::KWK_KBUTTON_NR : net::KWK_KBUTTON, {}};
  PayloadWriter write(out.payload);
  if (message.index) write.int_field(*message.index);
  write.int_field(message.value);
  return out;
}

Result<KButton> parse_kbutton(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KBUTTON");
  KButton message;
  message.value = in.int_field("value");
  return in.finish(message);
}

Result<KButton> parse_kbutton_nr(std::span<const std::uint8_t> payload) {
  PayloadReader in(payload, "KWK_KBUTTON_NR");
  KButton message;
  message.index = in.int_field("button index");
  message.value = in.int_field("value");
  return in.finish(message);
}

}  // namespace kovw::protocol
