#pragma once
// The messages the shell exchanges with the server daemon: builders of the payloads the
// workstation sends (connection request, login, environment, start, workflow) and readers of
// the daemon's answers and events. Every reader checks each field against the bytes present
// and reports a field that runs past the payload or a text longer than its limit as an error.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "shell/settings_record.h"

namespace kovw::shell {

using Payload = std::vector<std::uint8_t>;

// Bits of the options word.
inline constexpr std::uint32_t kOptionCompression = 0x100;
inline constexpr std::uint32_t kOptionEncryption = 0x200;
inline constexpr std::uint32_t kOptionInternet = 0x10000;
inline constexpr std::uint32_t kOptionBrowser = 0x20000;
inline constexpr int kConnectRequestType = 22;
inline constexpr int kConnectReplyType = 98;

// Daemon versions from which a field or a behaviour exists.
inline constexpr int kDaemonWithFourInts = 0x30008;
inline constexpr int kDaemonWithSessionTimeout = 0x20502;
inline constexpr int kDaemonWithSessionTexts = 0x70200;
inline constexpr int kDaemonWithForgottenPassword = 0x70600;
inline constexpr int kDaemonWithEncryption = 0x71400;
inline constexpr int kDaemonWithEncryptedPassword = 0x71602;
inline constexpr int kDaemonWithIconSize = 0x71E04;
inline constexpr int kDaemonWithFontFactor = 0x71E07;

// Client flags of the login message.
inline constexpr std::uint32_t kClientOtherSystem = 0x7000C;
inline constexpr std::uint32_t kClientAlways = 0x2000;
inline constexpr std::uint32_t kClientNetTimeout = 0x4000;
inline constexpr std::uint32_t kClientHostType = 0x100000;
inline constexpr std::uint32_t kClientIconSize = 0x400000;
inline constexpr std::uint32_t kClientFontFactor = 0x800000;

// Appends a text field: the text and its terminating zero byte.
void put_text_field(Payload& out, std::string_view text);

// --- Connection set-up ------------------------------------------------------------------

struct ConnectRequest {
  std::string computer_name;
  std::uint32_t version_word = 0;
  std::array<std::uint8_t, 16> client_value{};
  std::uint32_t offered_options = 0;
};
Payload build_connect_request(const ConnectRequest& request);

// The options the workstation offers: compression and encryption by the settings (neither
// when the verbosity is exactly 2), the browser bit for browser mode bit 0.
std::uint32_t offered_options(bool secure, bool crypted, int verbosity, int browser_mode);

struct ConnectReply {
  std::string display_name;
  int daemon_version = 0;
  std::array<std::uint8_t, 16> server_value{};
  std::uint32_t options = 0;
  bool keeps_slash = false;
};
// Reads a type 98 payload; nullopt when malformed.
std::optional<ConnectReply> parse_connect_reply(std::span<const std::uint8_t> payload);

// --- Login ------------------------------------------------------------------------------

// The password field of the login message, without its field length.
//  - forgotten password: a blank and a zero byte;
//  - encrypted (daemon >= 0x71602 with a session key): the password and its zero byte padded
//    with zeros to 16 or 32 bytes, each block encrypted with `encrypt_block`, then "T";
//  - otherwise 32 bytes: the password, its zero byte, random bytes after it, the first 31
//    bytes scrambled and byte 31 zero.
// `clear` holds at most 31 characters.
using BlockEncryptor = void (*)(const std::uint8_t* in, std::uint8_t* out);
std::vector<std::uint8_t> login_password_field(std::string_view clear, bool forgotten,
                                               BlockEncryptor encrypt_block);

// Removes trailing blanks and control characters, and cuts at `limit` characters.
std::string trim_login_text(std::string_view text, std::size_t limit);

struct LoginRequest {
  std::string user;
  std::vector<std::uint8_t> password_field;
  int listen_port = 0;
  std::string domain;
  std::uint32_t version_word = 0;
  std::string computer_name;
  std::uint32_t client_flags = 0;
  std::string installation_id;
  int print_port = 0;
  std::string data_directory;
  std::string install_directory;
  int browser_number = 0;
  int login_kind = 0;  // 0 normal, 1 password change, 2 forgotten password
  int net_timeout_ms = 0;
  std::uint32_t host_type = 0;
  int icon_size = 0;
  int font_factor = 0;
};
Payload build_login(const LoginRequest& request);

// The OK answer to the login.
struct LoginAccepted {
  std::uint32_t reply_flags = 0;
  int host_kind = 0;  // low 3 bits of the flags
  int listen_port = 0;
  int display_option = 221;
  int update_version = 0;
  int update_size = 0;
  int daemon_version = 0;  // 0 when not sent (and in workflow mode)
  int session_timeout_minutes = 0;
  bool keeps_slash = false;
  std::string session_text;
  std::string name_text;
  int net_timeout_ms = 0;  // 0 when not sent
};
// `workflow`: the fields after the display option are not read. Nullopt when malformed.
std::optional<LoginAccepted> parse_login_accepted(std::span<const std::uint8_t> payload,
                                                  bool workflow);

struct LoginRefused {
  bool has_reason = false;
  int reason = 0;
  std::string text;  // the daemon's reason text, empty when none
};
std::optional<LoginRefused> parse_login_refused(std::span<const std::uint8_t> payload);

// --- After the login --------------------------------------------------------------------

Payload build_environment(std::string_view name, std::string_view value);
Payload build_start(std::string_view program, std::string_view directory,
                    std::string_view command_line);
Payload build_workflow(std::string_view command);

// Expands "$NAME" (letters and digits) and "%NAME%" references to other entries of the
// table, recursively. A reference to an unknown name is kept as written; a reference that
// leads back to an entry being expanded is kept as written too, so that an entry cannot
// expand itself without end; `self` is the entry whose value is expanded (or null). The result
// is cut at `limit` bytes.
std::string expand_environment_value(std::span<const EnvironmentEntry> table,
                                     std::string_view value, const EnvironmentEntry* self = nullptr,
                                     std::size_t limit = 4096);

// --- Events -----------------------------------------------------------------------------

struct StartReply {
  int error = 0;
  int run_id = 0;
  std::string program;
  bool has_directory = false;
  std::string directory;
  std::string error_text;
};
std::optional<StartReply> parse_start_reply(std::span<const std::uint8_t> payload);

struct ProgramEnd {
  int run_id = 0;
  int status = 0;
  std::string program;
};
std::optional<ProgramEnd> parse_program_end(std::span<const std::uint8_t> payload);

struct EndStatus {
  bool abnormal = false;
  int number = 0;  // signal or exit code
  bool core = false;
};
EndStatus decode_end_status(int status);

struct StopRequest {
  int run_id = 0;
  int delay_seconds = 0;
};
std::optional<StopRequest> parse_stop(std::span<const std::uint8_t> payload);

std::optional<int> parse_timer_control(std::span<const std::uint8_t> payload);

struct InfoMessage {
  std::string text;
  std::string sound;
};
std::optional<InfoMessage> parse_info_message(std::span<const std::uint8_t> payload);
std::optional<std::string> parse_alarm(std::span<const std::uint8_t> payload);

struct ProxyRequest {
  int port = -1;
  std::string process_id;
};
std::optional<ProxyRequest> parse_proxy(std::span<const std::uint8_t> payload);

// Removes trailing blanks and cuts at `limit` characters.
std::string trim_message_text(std::string_view text, std::size_t limit);

}  // namespace kovw::shell
