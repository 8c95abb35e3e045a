#include "protocol/program/start_messages.h"

#include "net/link_names.h"
#include "protocol/program/item_reader.h"

namespace kovw::protocol {

Outgoing build_kinit(const KInit& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KINIT, {}};
  put_int(out.payload, message.host_pid);
  put_text(out.payload, message.program_name);
  if (!message.host_version) return out;
  const std::int32_t version = *message.host_version;
  put_int(out.payload, version);
  if (version < kVersionParentWindow) return out;
  put_int(out.payload, message.parent_window);
  if (version < kVersionEmbedFlag) return out;
  put_int(out.payload, message.embed.value_or(0));
  if (version < kVersionLinkTimeout) return out;
  put_int(out.payload, message.link_timeout_ms.value_or(0));
  return out;
}

Result<KInit> parse_kinit(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KINIT");
  KInit message;
  message.host_pid = in.integer("host pid");
  message.program_name = in.text("program name");
  message.host_version = in.optional_integer("host library version");
  const std::int32_t version = message.version();
  if (version >= kVersionParentWindow)
    message.parent_window = in.optional_integer("parent window").value_or(0);
  if (version >= kVersionEmbedFlag) message.embed = in.optional_integer("embed flag");
  if (version >= kVersionLinkTimeout)
    message.link_timeout_ms = in.optional_integer("link time-out");
  return in.finish(std::move(message));
}

Outgoing build_kgetwinid_request() {
  return Outgoing{net::KWD_KOMM, net::KWK_KGETWINID, {}};
}

Outgoing build_window_ids(const WindowIds& answer) {
  Outgoing out{net::KWD_KOMM, net::KWK_KGETWINID, {}};
  put_int(out.payload, answer.content_window);
  put_int(out.payload, answer.main_window);
  put_int(out.payload, answer.screen_width);
  put_int(out.payload, answer.screen_height);
  put_int(out.payload, answer.parent_window);
  put_int(out.payload, answer.thread_id);
  return out;
}

Result<WindowIds> parse_window_ids(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KGETWINID");
  WindowIds answer;
  answer.content_window = in.integer("content window");
  answer.main_window = in.integer("main window");
  answer.screen_width = in.integer("screen width");
  answer.screen_height = in.integer("screen height");
  answer.parent_window = in.integer("parent window");
  answer.thread_id = in.integer("thread id");
  return in.finish(answer);
}

Outgoing build_kreconnect(const KReconnect& message) {
  Outgoing out{net::KWD_KOMM, KWK_KRECONNECT, {}};
  put_int(out.payload, message.host_pid);
  put_int(out.payload, message.main_window);
  put_int(out.payload, message.thread_id);
  put_int(out.payload, 0);
  return out;
}

Result<KReconnect> parse_kreconnect(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KRECONNECT");
  KReconnect message;
  message.host_pid = in.integer("host pid");
  message.main_window = in.integer("main window");
  message.thread_id = in.integer("thread id");
  in.optional_integer("reserved");  // sent by hosts, never used
  return in.finish(message);
}

Outgoing build_kcflag(std::int32_t bits) {
  Outgoing out{net::KWD_KOMM, net::KWK_KCFLAG, {}};
  put_int(out.payload, bits);
  return out;
}

Result<std::int32_t> parse_kcflag(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KCFLAG");
  const std::int32_t bits = in.integer("bits");
  return in.finish(bits);
}

Outgoing build_kmap(const KMap& message) {
  Outgoing out{net::KWD_KOMM, net::KWK_KMAP, {}};
  put_int(out.payload, message.operation);
  put_int(out.payload, message.window);
  return out;
}

Result<KMap> parse_kmap(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KMAP");
  KMap message;
  message.operation = in.integer("operation");
  message.window = in.integer("window");
  return in.finish(message);
}

Outgoing build_kbutton(const KButton& message) {
  Outgoing out{net::KWD_KOMM, message.index ? net::KWK_KBUTTON_NR : net::KWK_KBUTTON, {}};
  if (message.index) put_int(out.payload, *message.index);
  put_int(out.payload, message.value);
  return out;
}

Result<KButton> parse_kbutton(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KBUTTON");
  KButton message;
  message.value = in.integer("value");
  return in.finish(message);
}

Result<KButton> parse_kbutton_nr(std::span<const std::uint8_t> payload) {
  ItemReader in(payload, "KWK_KBUTTON_NR");
  KButton message;
  message.index = in.integer("button index");
  message.value = in.integer("value");
  return in.finish(message);
}

}  // namespace kovw::protocol
