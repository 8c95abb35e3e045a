#pragma once
// The messages that start, identify and move a program link (service KWD_KOMM): KWK_KINIT,
// the KWK_KGETWINID answer, KWK_KRECONNECT, and the small control requests KWK_KCFLAG,
// KWK_KMAP, KWK_KBUTTON and KWK_KBUTTON_NR. Each has a builder (what the host sends or the
// workstation answers) and a parser.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "protocol/outgoing.h"
#include "protocol/program/host_versions.h"
#include "protocol/result.h"

namespace kovw::protocol {

// KWK_KINIT (H->W): the host program introduces itself.
struct KInit {
  std::int32_t host_pid = 0;
  std::string program_name;                     // host text
  std::optional<std::int32_t> host_version;     // absent: kDefaultHostVersion
  std::int32_t parent_window = 0;               // from kVersionParentWindow; 0 none
  std::optional<std::int32_t> embed;            // from kVersionEmbedFlag
  std::optional<std::int32_t> link_timeout_ms;  // from kVersionLinkTimeout

  std::int32_t version() const { return host_version.value_or(kDefaultHostVersion); }
};
Outgoing build_kinit(const KInit& message);
Result<KInit> parse_kinit(std::span<const std::uint8_t> payload);

// KWK_KGETWINID answer (W->H, 0/30). The request is empty.
struct WindowIds {
  std::int32_t content_window = 0;
  std::int32_t main_window = 0;
  std::int32_t screen_width = 0;
  std::int32_t screen_height = 0;
  std::int32_t parent_window = 0;  // when embedded, else 0
  std::int32_t thread_id = 0;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("content window", m.content_window);
    v.int_field("main window", m.main_window);
    v.int_field("screen width", m.screen_width);
    v.int_field("screen height", m.screen_height);
    v.int_field("parent window", m.parent_window);
    v.int_field("thread id", m.thread_id);
  }
};
Outgoing build_kgetwinid_request();
Outgoing build_window_ids(const WindowIds& answer);
Result<WindowIds> parse_window_ids(std::span<const std::uint8_t> payload);

// KWK_KRECONNECT (H->W): move this link to the thread that served the program before.
struct KReconnect {
  std::int32_t host_pid = 0;
  std::int32_t main_window = 0;  // not used by the workstation
  std::int32_t thread_id = 0;
};
Outgoing build_kreconnect(const KReconnect& message);
Result<KReconnect> parse_kreconnect(std::span<const std::uint8_t> payload);

// KWK_KCFLAG (H->W): bits ORed into the thread's exit flags.
Outgoing build_kcflag(std::int32_t bits);
Result<std::int32_t> parse_kcflag(std::span<const std::uint8_t> payload);

// KWK_KMAP (H->W).
struct KMap {
  std::int32_t operation = 0;
  std::int32_t window = 0;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("operation", m.operation);
    v.int_field("window", m.window);
  }
};
Outgoing build_kmap(const KMap& message);
Result<KMap> parse_kmap(std::span<const std::uint8_t> payload);

// KWK_KBUTTON (value for all key bar buttons) and KWK_KBUTTON_NR (one button).
struct KButton {
  std::optional<std::int32_t> index;  // KWK_KBUTTON_NR only
  std::int32_t value = 0;
};
Outgoing build_kbutton(const KButton& message);
Result<KButton> parse_kbutton(std::span<const std::uint8_t> payload);
Result<KButton> parse_kbutton_nr(std::span<const std::uint8_t> payload);

}  // namespace kovw::protocol
