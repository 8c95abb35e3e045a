#include "shell/server_messages.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "net/fields.h"
#include "net/password_scramble.h"

namespace kovw::shell {
namespace {

using net::FieldCursor;

// Reads a text field of at most `limit` bytes (its zero byte included); the text ends at its
// first zero byte. Nullopt when the field is malformed or longer than the limit.
std::optional<std::string> read_text(FieldCursor& at, std::size_t limit) {
  std::span<const std::uint8_t> view = net::get_bytes_view(at);
  if (at.failed || view.size() > limit) return std::nullopt;
  const auto* begin = reinterpret_cast<const char*>(view.data());
  return std::string(begin, ::strnlen(begin, view.size()));
}

std::optional<int> read_int(FieldCursor& at) {
  int value = net::get_int_field(at);
  if (at.failed) return std::nullopt;
  return value;
}

// Optional trailing fields are read only while at least 3 payload bytes remain.
bool more(const FieldCursor& at) {
  return at.remaining() >= 3;
}

}  // namespace

void put_text_field(Payload& out, std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  net::put_bytes_field(out, bytes.data(), bytes.size());
}

Payload build_connect_request(const ConnectRequest& request) {
  Payload out;
  static constexpr char kMarker[] = "KCONNECT";  // sent with its zero byte: 9 bytes
  net::put_bytes_field(out, kMarker, sizeof kMarker);
  put_text_field(out, request.computer_name);
  net::put_int_field(out, request.version_word, 4);
  net::put_bytes_field(out, request.client_value.data(), request.client_value.size());
  net::put_int_field(out, request.offered_options, 4);
  return out;
}

std::uint32_t offered_options(bool secure, bool crypted, int verbosity, int browser_mode) {
  std::uint32_t options = 0;
  if (verbosity != 2) {
    if (secure) options |= kOptionCompression;
    if (crypted) options |= kOptionEncryption;
  }
  if (browser_mode & 1) options |= kOptionBrowser;
  return options;
}

std::optional<ConnectReply> parse_connect_reply(std::span<const std::uint8_t> payload) {
  FieldCursor at(payload);
  ConnectReply reply;
  auto name = read_text(at, 256);
  auto version = read_int(at);
  if (!name || !version) return std::nullopt;
  reply.display_name = *name;
  reply.daemon_version = *version;
  std::span<const std::uint8_t> server = net::get_bytes_view(at);
  if (at.failed || server.size() != reply.server_value.size()) return std::nullopt;
  std::copy(server.begin(), server.end(), reply.server_value.begin());
  auto options = read_int(at);
  if (!options) return std::nullopt;
  reply.options = static_cast<std::uint32_t>(*options);
  if (reply.daemon_version >= kDaemonWithFourInts && more(at)) {
    for (int i = 0; i < 4; ++i) {
      auto value = read_int(at);
      if (!value) return std::nullopt;
      if (i == 0) reply.keeps_slash = *value != 0;
    }
  }
  return reply;
}

std::vector<std::uint8_t> login_password_field(std::string_view clear, bool forgotten,
                                               BlockEncryptor encrypt_block) {
  if (forgotten) return {' ', 0};
  clear = clear.substr(0, 31);
  if (encrypt_block != nullptr) {
    const std::size_t n = clear.size() <= 15 ? 16 : 32;
    std::vector<std::uint8_t> field(n + 1, 0);
    std::memcpy(field.data(), clear.data(), clear.size());
    for (std::size_t block = 0; block < n; block += 16) {
      std::uint8_t out[16];
      encrypt_block(field.data() + block, out);
      std::memcpy(field.data() + block, out, 16);
    }
    field[n] = 'T';
    return field;
  }
  // The scrambled form: the zero byte after the password stays, the rest is filled with
  // random bytes so that the length of the password cannot be read from the field.
  std::array<std::uint8_t, 48> buffer{};
  std::memcpy(buffer.data(), clear.data(), clear.size());
  std::random_device device;
  std::mt19937 random(device());
  for (std::size_t i = clear.size() + 1; i < buffer.size(); ++i) {
    buffer[i] = static_cast<std::uint8_t>(random() & 0xff);
  }
  net::scramble_password(buffer.data(), 31);
  buffer[31] = 0;
  std::vector<std::uint8_t> field(buffer.begin(), buffer.begin() + 32);
  std::fill(buffer.begin(), buffer.end(), 0);
  return field;
}

std::string trim_login_text(std::string_view text, std::size_t limit) {
  std::string out(text.substr(0, std::min(text.size(), limit)));
  while (!out.empty() && static_cast<unsigned char>(out.back()) <= ' ') out.pop_back();
  while (!out.empty() && static_cast<unsigned char>(out.front()) == ' ') out.erase(0, 1);
  return out;
}

Payload build_login(const LoginRequest& r) {
  Payload out;
  net::put_int_field(out, 1, 1);
  put_text_field(out, r.user);
  net::put_bytes_field(out, r.password_field.data(), r.password_field.size());
  net::put_int_field(out, r.listen_port, 4);
  put_text_field(out, r.domain);
  net::put_int_field(out, r.version_word, 4);
  put_text_field(out, r.computer_name);
  net::put_int_field(out, r.client_flags, 4);
  put_text_field(out, r.installation_id.substr(0, 25));
  net::put_int_field(out, r.print_port, 4);
  put_text_field(out, r.data_directory);
  put_text_field(out, r.install_directory);
  net::put_int_field(out, r.browser_number, 4);
  net::put_int_field(out, r.login_kind, 4);
  put_text_field(out, "intwx");
  if (r.client_flags & kClientNetTimeout) net::put_int_field(out, r.net_timeout_ms, 4);
  if (r.client_flags & kClientHostType) net::put_int_field(out, r.host_type, 4);
  if (r.client_flags & kClientIconSize) net::put_int_field(out, r.icon_size, 1);
  if (r.client_flags & kClientFontFactor) net::put_int_field(out, r.font_factor, 1);
  return out;
}

std::optional<LoginAccepted> parse_login_accepted(std::span<const std::uint8_t> payload,
                                                  bool workflow) {
  FieldCursor at(payload);
  LoginAccepted ok;
  auto next = [&](int& target) {
    auto value = read_int(at);
    if (value) target = *value;
    return value.has_value();
  };
  int flags = 0;
  if (more(at)) {
    if (!next(flags)) return std::nullopt;
    ok.reply_flags = static_cast<std::uint32_t>(flags);
    ok.host_kind = flags & 7;
  }
  if (more(at) && !next(ok.listen_port)) return std::nullopt;
  if (more(at) && !next(ok.display_option)) return std::nullopt;
  if (workflow) return ok;
  if (more(at) && !next(ok.update_version)) return std::nullopt;
  if (more(at) && !next(ok.update_size)) return std::nullopt;
  if (more(at) && !next(ok.daemon_version)) return std::nullopt;
  if (ok.daemon_version >= kDaemonWithSessionTimeout && at.remaining() >= 1 &&
      !next(ok.session_timeout_minutes)) {
    return std::nullopt;
  }
  if (ok.daemon_version >= kDaemonWithFourInts && more(at)) {
    for (int i = 0; i < 4; ++i) {
      int value = 0;
      if (!next(value)) return std::nullopt;
      if (i == 0) ok.keeps_slash = value != 0;
    }
  }
  if (ok.daemon_version >= kDaemonWithSessionTexts && more(at)) {
    auto session = read_text(at, 2032);
    if (!session) return std::nullopt;
    ok.session_text = *session;
    if (more(at)) {
      auto name = read_text(at, 60);
      if (!name) return std::nullopt;
      ok.name_text = *name;
    }
  }
  if ((ok.reply_flags & 0x800) && more(at) && !next(ok.net_timeout_ms)) return std::nullopt;
  // Two ints with reply flag bit 10 and the update change list follow; the workstation does
  // not use them.
  return ok;
}

std::optional<LoginRefused> parse_login_refused(std::span<const std::uint8_t> payload) {
  FieldCursor at(payload);
  LoginRefused refused;
  if (at.at_end()) return refused;
  auto reason = read_int(at);
  if (!reason) return std::nullopt;
  refused.has_reason = true;
  refused.reason = *reason;
  if (more(at)) {
    auto text = read_text(at, 1500);
    if (!text) return std::nullopt;
    refused.text = *text;
  }
  return refused;
}

Payload build_environment(std::string_view name, std::string_view value) {
  Payload out;
  put_text_field(out, name);
  put_text_field(out, value);
  return out;
}

Payload build_start(std::string_view program, std::string_view directory,
                    std::string_view command_line) {
  Payload out;
  put_text_field(out, program);
  put_text_field(out, directory);
  put_text_field(out, command_line);
  return out;
}

Payload build_workflow(std::string_view command) {
  Payload out;
  put_text_field(out, command);
  return out;
}

namespace {

bool is_name_char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

const EnvironmentEntry* find_entry(std::span<const EnvironmentEntry> table, std::string_view name) {
  for (const EnvironmentEntry& entry : table) {
    if (!name.empty() && entry.name.view() == name) return &entry;
  }
  return nullptr;
}

void expand_into(std::span<const EnvironmentEntry> table, std::string_view value,
                 std::vector<const EnvironmentEntry*>& active, std::string& out,
                 std::size_t limit) {
  std::size_t i = 0;
  while (i < value.size() && out.size() < limit) {
    const char c = value[i];
    std::size_t name_begin = 0, name_end = 0, after = 0;
    if (c == '$') {
      name_begin = i + 1;
      name_end = name_begin;
      while (name_end < value.size() && is_name_char(value[name_end])) ++name_end;
      after = name_end;
    } else if (c == '%') {
      name_begin = i + 1;
      name_end = value.find('%', name_begin);
      if (name_end == std::string_view::npos) name_end = name_begin;  // no closing "%"
      after = name_end + 1;
    }
    const EnvironmentEntry* entry = nullptr;
    if (name_end > name_begin) {
      entry = find_entry(table, value.substr(name_begin, name_end - name_begin));
    }
    if (entry == nullptr || std::find(active.begin(), active.end(), entry) != active.end()) {
      if (entry != nullptr || name_end > name_begin) {
        out.append(value.substr(i, after - i));  // kept as written
        i = after;
      } else {
        out.push_back(c);
        ++i;
      }
      continue;
    }
    active.push_back(entry);
    expand_into(table, entry->value.view(), active, out, limit);
    active.pop_back();
    i = after;
  }
  if (out.size() > limit) out.resize(limit);
}

}  // namespace

std::string expand_environment_value(std::span<const EnvironmentEntry> table,
                                     std::string_view value, const EnvironmentEntry* self,
                                     std::size_t limit) {
  std::string out;
  std::vector<const EnvironmentEntry*> active;
  // The entry whose value is expanded counts as active, so that "PATH=$PATH:x" keeps its
  // own reference instead of expanding without end.
  if (self != nullptr) active.push_back(self);
  expand_into(table, value, active, out, limit);
  return out;
}

std::optional<StartReply> parse_start_reply(std::span<const std::uint8_t> payload) {
  FieldCursor at(payload);
  StartReply reply;
  auto error = read_int(at);
  auto run_id = read_int(at);
  auto program = read_text(at, 260);
  if (!error || !run_id || !program) return std::nullopt;
  reply.error = *error;
  reply.run_id = *run_id;
  reply.program = *program;
  if (reply.error != 0 && more(at)) {
    auto directory = read_text(at, 260);
    if (!directory) return std::nullopt;
    reply.has_directory = true;
    reply.directory = *directory;
    if (more(at)) {
      auto text = read_text(at, 512);
      if (!text) return std::nullopt;
      reply.error_text = *text;
    }
  }
  return reply;
}

std::optional<ProgramEnd> parse_program_end(std::span<const std::uint8_t> payload) {
  FieldCursor at(payload);
  ProgramEnd end;
  auto run_id = read_int(at);
  auto status = read_int(at);
  if (!run_id || !status) return std::nullopt;
  end.run_id = *run_id;
  end.status = *status;
  if (more(at)) {
    auto program = read_text(at, 260);
    if (!program) return std::nullopt;
    end.program = *program;
  }
  return end;
}

EndStatus decode_end_status(int status) {
  EndStatus decoded;
  if ((status & 0xff) != 0) {
    decoded.abnormal = true;
    decoded.number = status & 0x7f;
    decoded.core = (status & 0x80) != 0;
  } else {
    decoded.number = (status >> 8) & 0xff;
  }
  return decoded;
}

std::optional<StopRequest> parse_stop(std::span<const std::uint8_t> payload) {
  FieldCursor at(payload);
  StopRequest stop;
  if (more(at)) {
    auto run_id = read_int(at);
    if (!run_id) return std::nullopt;
    stop.run_id = *run_id;
  }
  if (more(at)) {
    auto delay = read_int(at);
    if (!delay) return std::nullopt;
    stop.delay_seconds = *delay;
  }
  return stop;
}

std::optional<int> parse_timer_control(std::span<const std::uint8_t> payload) {
  FieldCursor at(payload);
  return read_int(at);
}

std::optional<InfoMessage> parse_info_message(std::span<const std::uint8_t> payload) {
  FieldCursor at(payload);
  InfoMessage message;
  auto text = read_text(at, payload.size());
  if (!text) return std::nullopt;
  message.text = *text;
  if (more(at)) {
    auto sound = read_text(at, 512);
    if (!sound) return std::nullopt;
    message.sound = *sound;
  }
  return message;
}

std::optional<std::string> parse_alarm(std::span<const std::uint8_t> payload) {
  FieldCursor at(payload);
  return read_text(at, payload.size());
}

std::optional<ProxyRequest> parse_proxy(std::span<const std::uint8_t> payload) {
  FieldCursor at(payload);
  ProxyRequest proxy;
  auto port = read_int(at);
  if (!port) return std::nullopt;
  proxy.port = *port < 1 ? -1 : *port;
  if (more(at)) {
    auto pid = read_text(at, 64);
    if (!pid) return std::nullopt;
    proxy.process_id = *pid;
  }
  return proxy;
}

std::string trim_message_text(std::string_view text, std::size_t limit) {
  std::string out(text);
  while (!out.empty() && out.back() == ' ') out.pop_back();
  if (out.size() > limit) out.resize(limit);
  return out;
}

}  // namespace kovw::shell
