// Connection set-up and login messages of the server link, and the password field forms.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>

#include "net/password_scramble.h"
#include "protocol/described_message.h"
#include "protocol/payload_codec.h"
#include "protocol/server_messages.h"

namespace kovw::protocol {

using net::KWD_KOMM;

namespace {

constexpr char kConnectMarker[] = "KCONNECT";  // 8 characters and the zero byte

std::string cut(std::string_view text, std::size_t max_chars) {
  return std::string(text.substr(0, max_chars));
}

Value16 to_value16(const Bytes& bytes) {
  Value16 v{};
  if (bytes.size() == v.size()) std::copy(bytes.begin(), bytes.end(), v.begin());
  return v;
}

}  // namespace

std::uint32_t effective_options(std::uint32_t negotiated, int daemon_version) {
  if (daemon_version < kDaemonEncryption) negotiated &= ~kOptionEncryption;
  return negotiated;
}

std::uint32_t windows_family_bits(WindowsFamily family) {
  switch (family) {
    case WindowsFamily::win2000:
      return 0x4;
    case WindowsFamily::xp:
      return 0x6;
    case WindowsFamily::vista:
      return 0xC;
    case WindowsFamily::win7:
      return 0x1000C;
    case WindowsFamily::win8:
      return 0x2000C;
    case WindowsFamily::win10:
      return 0x3000C;
    case WindowsFamily::other:
      break;
  }
  return 0x7000C;
}

std::uint32_t client_flags_word(const ClientFlagsInput& input, int daemon_version) {
  std::uint32_t word = windows_family_bits(input.family) | kClientAlways;
  if (input.palette_device) word |= kClientPalette;
  if (input.slow_connect_level >= 1 && input.slow_connect_level <= 3)
    word |= static_cast<std::uint32_t>(input.slow_connect_level) << 5;
  word |= static_cast<std::uint32_t>(input.browser_mode) & kClientBrowserModeMask;
  if (input.net_timeout_ms != 10000) word |= kClientNetTimeout;
  if (input.browser_host_type) word |= kClientHostType;
  if (input.icon_size && daemon_version >= kDaemonIconSize) word |= kClientIconSize;
  if (input.font_factor && daemon_version >= kDaemonFontFactor) word |= kClientFontFactor;
  return word;
}

// ---- Connection request and reply ----------------------------------------------------------

Outgoing build_connect_request(const ConnectRequest& request) {
  Outgoing built{KWD_KOMM, net::KWK_KSDATEI, {}};
  PayloadWriter out(built.payload);
  out.bytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(kConnectMarker),
                                          sizeof kConnectMarker))
      .text(request.computer_name)
      .int_field(request.version_word)
      .bytes(request.client_value)
      .int_field(request.offered_options);
  return built;
}

bool is_connect_request(Payload payload) {
  PayloadReader in(payload);
  const auto marker = in.bytes("marker", 64);
  return in.ok() && marker.size() == sizeof kConnectMarker &&
         std::memcmp(marker.data(), kConnectMarker, sizeof kConnectMarker) == 0;
}

Result<ConnectRequest> parse_connect_request(Payload payload) {
  if (!is_connect_request(payload))
    return ParseFailure{ParseError::kMalformed, "connect request: no KCONNECT marker"};
  PayloadReader in(payload);
  in.bytes("marker");
  ConnectRequest r;
  r.computer_name = in.text_in_field("computer name", 256);
  r.version_word = in.int_field("version word");
  r.client_value = to_value16(in.exact_bytes("client value", 16));
  r.offered_options = static_cast<std::uint32_t>(in.int_field("offered options"));
  return finish(in, std::move(r));
}

Outgoing build_connect_reply(const ConnectReply& reply) {
  Outgoing built{KWD_KOMM, net::KWK_KCONNECT, {}};
  PayloadWriter out(built.payload);
  out.text(reply.host_name)
      .int_field(reply.daemon_version)
      .bytes(reply.server_value)
      .int_field(reply.options);
  if (reply.daemon_version >= kDaemonPathInts) {
    const auto ints = reply.path_ints.value_or(std::array<std::int32_t, 4>{});
    for (auto v : ints) out.int_field(v);
  }
  return built;
}

Result<ConnectReply> parse_connect_reply(Payload payload) {
  PayloadReader in(payload);
  ConnectReply r;
  r.host_name = in.text_in_field("host name", 256);
  r.daemon_version = in.int_field("daemon version");
  r.server_value = to_value16(in.exact_bytes("server value", 16));
  r.options = static_cast<std::uint32_t>(in.int_field("options"));
  if (r.daemon_version >= kDaemonPathInts && in.more(kServerTailBytes)) {
    std::array<std::int32_t, 4> ints{};
    for (auto& v : ints) v = in.int_field("path option");
    r.path_ints = ints;
  }
  return finish(in, std::move(r));
}

// ---- Password field forms ------------------------------------------------------------------

std::vector<std::uint8_t> encrypted_password_field(std::string_view password,
                                                   const net::TwofishCipher& session_cipher) {
  password = password.substr(0, kMaxPassword);
  const std::size_t n = password.size() <= 15 ? 16 : 32;
  std::vector<std::uint8_t> field(n + 1, 0);
  std::memcpy(field.data(), password.data(), password.size());
  for (std::size_t block = 0; block < n; block += 16)
    session_cipher.encrypt_block(field.data() + block, field.data() + block);
  field[n] = 'T';
  return field;
}

std::vector<std::uint8_t> scrambled_password_field(std::string_view password,
                                                   std::span<const std::uint8_t> filler) {
  password = password.substr(0, kMaxPassword);
  std::vector<std::uint8_t> field(32, 0);
  std::memcpy(field.data(), password.data(), password.size());
  // The terminating zero stays; the bytes after it carry random filler.
  for (std::size_t i = password.size() + 1, j = 0; i < 31 && j < filler.size(); ++i, ++j)
    field[i] = filler[j];
  net::scramble_password(field.data(), 31);
  field[31] = 0;
  return field;
}

std::vector<std::uint8_t> login_password_field(std::string_view stored_password, int daemon_version,
                                               const net::TwofishCipher* session_cipher,
                                               std::span<const std::uint8_t> filler) {
  const auto nul = stored_password.find('\0');
  if (nul != std::string_view::npos) stored_password = stored_password.substr(0, nul);
  while (!stored_password.empty() && static_cast<unsigned char>(stored_password.back()) < 33)
    stored_password.remove_suffix(1);
  if (daemon_version >= kDaemonEncryptedPassword && session_cipher && session_cipher->prepared())
    return encrypted_password_field(stored_password, *session_cipher);
  return scrambled_password_field(stored_password, filler);
}

std::vector<std::uint8_t> password_filler() {
  const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  std::minstd_rand generator(static_cast<std::uint_fast32_t>(ticks ^ (ticks >> 32)));
  std::vector<std::uint8_t> filler(31);
  for (auto& b : filler) b = static_cast<std::uint8_t>(generator() >> 8);
  return filler;
}

std::vector<std::uint8_t> forgotten_password_field() {
  return {' ', 0};
}

Result<std::string> decode_password_field(std::span<const std::uint8_t> field,
                                          const net::TwofishCipher* session_cipher) {
  std::vector<std::uint8_t> plain;
  if ((field.size() == 17 || field.size() == 33) && field.back() == 'T') {
    if (!session_cipher || !session_cipher->prepared())
      return ParseFailure{ParseError::kMalformed, "password: encrypted form without a session key"};
    plain.assign(field.begin(), field.end() - 1);
    for (std::size_t block = 0; block < plain.size(); block += 16)
      session_cipher->decrypt_block(plain.data() + block, plain.data() + block);
  } else if (field.size() == 32) {
    plain.assign(field.begin(), field.end());
    net::unscramble_password(plain.data(), 31);
    plain[31] = 0;
  } else if (field.size() == 2 && field[0] == ' ' && field[1] == 0) {
    return std::string(" ");
  } else {
    return ParseFailure{ParseError::kMalformed,
                        "password: field of " + std::to_string(field.size()) + " bytes"};
  }
  const auto zero = std::find(plain.begin(), plain.end(), std::uint8_t{0});
  if (zero == plain.end())
    return ParseFailure{ParseError::kMalformed, "password: no terminating zero byte"};
  return std::string(plain.begin(), zero);
}

// ---- Login ------------------------------------------------------------------------------------

Outgoing build_login_request(const LoginRequest& r) {
  Outgoing built{KWD_KOMM, net::KWK_KLOGIN, {}};
  PayloadWriter out(built.payload);
  out.int_field(1, 1)
      .text(cut(r.user, kMaxUserName))
      .bytes(r.password_field)
      .int_field(r.listen_port)
      .text(cut(r.domain, kMaxDomain))
      .int_field(r.version_word)
      .text(r.computer_name)
      .int_field(r.client_flags)
      .text(cut(r.installation_id, kMaxInstallationId))
      .int_field(r.print_port)
      .text(r.data_directory)
      .text(r.install_directory)
      .int_field(r.browser_number)
      .int_field(static_cast<int>(r.kind))
      .text(r.platform);
  if (r.client_flags & kClientNetTimeout) out.int_field(r.net_timeout_ms.value_or(0));
  if (r.client_flags & kClientHostType) out.int_field(r.browser_host_type.value_or(0));
  if (r.client_flags & kClientIconSize) out.int_field(r.icon_size.value_or(0), 1);
  if (r.client_flags & kClientFontFactor) out.int_field(r.font_factor.value_or(0), 1);
  return built;
}

Result<LoginRequest> parse_login_request(Payload payload) {
  PayloadReader in(payload);
  LoginRequest r;
  if (in.int_field("login marker") != 1 && in.ok())
    in.fail(ParseError::kMalformed, "login marker: not 1");
  r.user = in.text_in_field("user name", kMaxUserName + 1);
  r.password_field = to_bytes(in.bytes("password", 33));
  r.listen_port = in.int_field("listen port");
  r.domain = in.text_in_field("domain", kMaxDomain + 1);
  r.version_word = in.int_field("version word");
  r.computer_name = in.text_in_field("computer name", 256);
  r.client_flags = static_cast<std::uint32_t>(in.int_field("client flags"));
  r.installation_id = in.text_in_field("installation id", kMaxInstallationId + 1);
  r.print_port = in.int_field("print port");
  r.data_directory = in.text_in_field("data directory", kMaxDirectory);
  r.install_directory = in.text_in_field("install directory", kMaxDirectory);
  r.browser_number = in.int_field("browser number");
  const int kind = in.int_field("login kind");
  if (in.ok() && (kind < 0 || kind > 2))
    in.fail(ParseError::kMalformed, "login kind: " + std::to_string(kind));
  r.kind = static_cast<LoginKind>(kind);
  r.platform = in.text_in_field("platform", 64);
  if (r.client_flags & kClientNetTimeout) r.net_timeout_ms = in.int_field("net time-out");
  if (r.client_flags & kClientHostType) r.browser_host_type = in.int_field("host type");
  if (r.client_flags & kClientIconSize) r.icon_size = in.int_field("icon size");
  if (r.client_flags & kClientFontFactor) r.font_factor = in.int_field("font factor");
  return finish(in, std::move(r));
}

Outgoing build_login_refusal(const LoginRefusal& refusal) {
  Outgoing built{KWD_KOMM, net::KWK_KOMFAIL, {}};
  PayloadWriter out(built.payload);
  if (refusal.reason) {
    out.int_field(*refusal.reason);
    if (refusal.text) out.text(refusal.text->substr(0, kMaxRefusalText - 1));
  }
  return built;
}

Result<LoginRefusal> parse_login_refusal(Payload payload) {
  PayloadReader in(payload);
  LoginRefusal r;
  if (in.remaining() > 0) r.reason = in.int_field("reason");
  if (in.more(kServerTailBytes)) r.text = in.text_in_field("reason text", kMaxRefusalText);
  return finish(in, std::move(r));
}

Outgoing build_login_reply(const LoginReply& r, bool workflow_mode) {
  Outgoing built{KWD_KOMM, net::KWK_KOMOK, {}};
  PayloadWriter out(built.payload);
  const std::uint32_t flags = r.flags.value_or(0);
  out.int_field(flags).int_field(r.listen_port.value_or(0)).int_field(r.display_option);
  if (!workflow_mode) {
    const int dv = r.daemon_version.value_or(0);
    out.int_field(r.update_version.value_or(0)).int_field(r.update_size.value_or(0)).int_field(dv);
    if (dv >= kDaemonSessionTimeout) out.int_field(r.session_timeout_min.value_or(0));
    if (dv >= kDaemonPathInts)
      for (auto v : r.path_ints.value_or(std::array<std::int32_t, 4>{})) out.int_field(v);
    if (dv >= kDaemonSessionTexts)
      out.text(r.session_text.substr(0, kMaxSessionText - 1))
          .text(r.name_text.substr(0, kMaxNameText - 1));
    if (flags & kReplyNetTimeout) out.int_field(r.net_timeout_ms.value_or(0));
    if (flags & kReplyTwoInts)
      for (auto v : r.extra_ints.value_or(std::array<std::int32_t, 2>{})) out.int_field(v);
    if (!r.changes.empty() && dv >= kDaemonUpdateList) {
      out.int_field(static_cast<std::int64_t>(r.changes.size()));
      for (const auto& c : r.changes)
        out.int_field(c.version_word)
            .text(c.version_text.substr(0, kMaxVersionText - 1))
            .text(c.description.substr(0, kMaxChangeText - 1));
    }
  }
  return built;
}

Result<LoginReply> parse_login_reply(Payload payload, const LoginReplyContext& context) {
  PayloadReader in(payload);
  LoginReply r;
  if (in.more(kServerTailBytes)) r.flags = static_cast<std::uint32_t>(in.int_field("reply flags"));
  if (in.more(kServerTailBytes)) r.listen_port = in.int_field("listen port");
  if (in.more(kServerTailBytes)) r.display_option = in.int_field("display option");
  if (!context.workflow_mode) {
    if (in.more(kServerTailBytes)) r.update_version = in.int_field("update version");
    if (in.more(kServerTailBytes)) r.update_size = in.int_field("update size");
    if (in.more(kServerTailBytes)) r.daemon_version = in.int_field("daemon version");
    const int dv = r.daemon_version.value_or(0);
    const std::uint32_t flags = r.flags.value_or(0);
    if (dv >= kDaemonSessionTimeout && in.ok() && in.remaining() >= 1)
      r.session_timeout_min = in.int_field("session time-out");
    if (dv >= kDaemonPathInts && in.more(kServerTailBytes)) {
      std::array<std::int32_t, 4> ints{};
      for (auto& v : ints) v = in.int_field("path option");
      r.path_ints = ints;
    }
    if (dv >= kDaemonSessionTexts) {
      if (in.more(kServerTailBytes))
        r.session_text = in.text_in_field("session text", kMaxSessionText);
      if (in.more(kServerTailBytes)) r.name_text = in.text_in_field("name text", kMaxNameText);
    }
    if ((flags & kReplyNetTimeout) && in.more(kServerTailBytes))
      r.net_timeout_ms = in.int_field("net time-out");
    if ((flags & kReplyTwoInts) && in.more(kServerTailBytes)) {
      std::array<std::int32_t, 2> ints{};
      for (auto& v : ints) v = in.int_field("extra value");
      r.extra_ints = ints;
    }
    const bool update_applies = r.update_version && *r.update_version > context.running_version &&
                                !context.update_suppressed && dv >= kDaemonUpdateList;
    if (update_applies && in.more(kServerTailBytes)) {
      const std::int32_t count = in.int_field("change count");
      if (in.ok() && count < 0) in.fail(ParseError::kCountTooLarge, "change count: negative");
      for (std::int32_t i = 0; in.ok() && i < count; ++i) {
        UpdateChange c;
        c.version_word = in.int_field("change version");
        c.version_text = in.text_in_field("change version text", kMaxVersionText);
        c.description = in.text_in_field("change text", kMaxChangeText);
        if (in.ok()) r.changes.push_back(std::move(c));
      }
    }
  }
  return finish(in, std::move(r));
}

// ---- After the login ---------------------------------------------------------------------------

Outgoing build_environment(const EnvironmentEntry& entry) {
  return build_described(KWD_KOMM, net::KWK_KENVIR, entry);
}

Result<EnvironmentEntry> parse_environment(Payload payload) {
  return parse_described<EnvironmentEntry>(payload);
}

Outgoing build_start_request(const StartRequest& request) {
  return build_described(KWD_KOMM, net::KWK_KSTART, request);
}

Result<StartRequest> parse_start_request(Payload payload) {
  return parse_described<StartRequest>(payload);
}

Outgoing build_workflow_request(const WorkflowRequest& request) {
  return build_described(KWD_KOMM, net::KWK_KWORKFLOW, request);
}

Result<WorkflowRequest> parse_workflow_request(Payload payload) {
  return parse_described<WorkflowRequest>(payload);
}

Outgoing build_start_reply(const StartReply& reply) {
  Outgoing built{KWD_KOMM, reply.type, {}};
  PayloadWriter out(built.payload);
  out.int_field(reply.error).int_field(reply.run_id).text(reply.program);
  if (reply.error != 0 && reply.directory) {
    out.text(reply.directory->substr(0, 259));
    if (reply.error_text) out.text(reply.error_text->substr(0, 511));
  }
  return built;
}

Result<StartReply> parse_start_reply(int type, Payload payload) {
  PayloadReader in(payload);
  StartReply r;
  r.type = type;
  r.error = in.int_field("error code");
  r.run_id = in.int_field("run id");
  r.program = in.text("program name");
  if (r.error != 0) {
    if (in.more(kServerTailBytes)) r.directory = in.text_in_field("directory", 260);
    if (in.more(kServerTailBytes)) r.error_text = in.text_in_field("error text", 512);
  }
  return finish(in, std::move(r));
}

}  // namespace kovw::protocol
