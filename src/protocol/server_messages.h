#pragma once
// The messages of the server daemon link (service KWD_KOMM): one struct per message, a builder
// that makes the message ready to send and a parser that decodes a received payload. Builders
// write the fields in link order, including the optional tails whose presence the struct (its
// flags, its version word) decides; parsers check every field against the payload and return a
// Result whose failure (code and text) names the first field of a malformed payload. Message
// names come from net/link_names.h.
//
// Messages whose struct has a member template `fields` are described field by field
// (described_message.h); their builders and parsers follow from that description.
//
// Direction in the comments: W = workstation to daemon, D = daemon to workstation. Both ends
// use both builders and parsers (the demonstration daemon in tools/hostsim is the other end).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "net/link_names.h"
#include "net/twofish_cipher.h"
#include "protocol/outgoing.h"
#include "protocol/result.h"

namespace kovw::protocol {

using Payload = std::span<const std::uint8_t>;
using Value16 = std::array<std::uint8_t, 16>;

// An optional trailing field of a server-link message is read while at least this many payload
// bytes remain.
inline constexpr std::size_t kServerTailBytes = 3;

// ---- Daemon version thresholds --------------------------------------------------------------
inline constexpr int kDaemonPathInts = 0x30008;        // four ints in KCONNECT and KOMOK replies
inline constexpr int kDaemonSessionTimeout = 0x20502;  // session time-out in KOMOK
inline constexpr int kDaemonKexecCron = 0x30507;       // cron administration via KEXEC
inline constexpr int kDaemonUpdateList = 0x40000;      // update change list in KOMOK
inline constexpr int kDaemonForgottenPassword = 0x70600;
inline constexpr int kDaemonSessionTexts = 0x70200;  // session and name texts in KOMOK
inline constexpr int kDaemonEncryption = 0x71400;    // below: encryption never used
inline constexpr int kDaemonEncryptedPassword = 0x71602;
inline constexpr int kDaemonIconSize = 0x71E04;
inline constexpr int kDaemonFontFactor = 0x71E07;
inline constexpr int kDaemonScriptStatus = 0x72202;  // type 65 only above this

// ---- Options word (connect request offer and KCONNECT reply) -------------------------------
inline constexpr std::uint32_t kOptionHeaderLevelMask = 0xff;
inline constexpr std::uint32_t kOptionCompression = 0x100;
inline constexpr std::uint32_t kOptionEncryption = 0x200;
inline constexpr std::uint32_t kOptionInternetMode = 0x10000;
inline constexpr std::uint32_t kOptionBrowserMode = 0x20000;  // offered in browser mode

// The options the workstation applies: encryption cleared for a daemon below 0x71400.
std::uint32_t effective_options(std::uint32_t negotiated, int daemon_version);

// ---- Client flags word (KLOGIN) --------------------------------------------------------------
inline constexpr std::uint32_t kClientPalette = 0x10;
inline constexpr std::uint32_t kClientBrowserModeMask = 0xf00;
inline constexpr std::uint32_t kClientAlways = 0x2000;
inline constexpr std::uint32_t kClientNetTimeout = 0x4000;
inline constexpr std::uint32_t kClientHostType = 0x100000;
inline constexpr std::uint32_t kClientIconSize = 0x400000;
inline constexpr std::uint32_t kClientFontFactor = 0x800000;

// Windows family bits of the flags word.
enum class WindowsFamily { win2000, xp, vista, win7, win8, win10, other };
std::uint32_t windows_family_bits(WindowsFamily family);

struct ClientFlagsInput {
  WindowsFamily family = WindowsFamily::other;
  bool palette_device = false;
  int slow_connect_level = 0;  // 0 to 3
  int browser_mode = 0;        // -h value; bits 8-11 go into the word
  int net_timeout_ms = 10000;  // differs from 10000: flag 0x4000 and an extra int
  std::optional<int> browser_host_type;
  std::optional<int> icon_size;    // sent to a daemon >= 0x71E04 only
  std::optional<int> font_factor;  // sent to a daemon >= 0x71E07 only
};
// The flags word for a daemon of `daemon_version` (the icon size and font factor bits only when
// that daemon knows them).
std::uint32_t client_flags_word(const ClientFlagsInput& input, int daemon_version);

// ---- Connection set-up ------------------------------------------------------------------------

// Connection request (W, type KWK_KSDATEI, first field "KCONNECT").
struct ConnectRequest {
  std::string computer_name;
  std::int32_t version_word = 0;
  Value16 client_value{};
  std::uint32_t offered_options = 0;
};
Outgoing build_connect_request(const ConnectRequest& request);
// True when a type-22 payload is a connection request (first field "KCONNECT" and its zero).
bool is_connect_request(Payload payload);
Result<ConnectRequest> parse_connect_request(Payload payload);

// KWK_KCONNECT reply (D, 98).
struct ConnectReply {
  std::string host_name;
  std::int32_t daemon_version = 0;
  Value16 server_value{};
  std::uint32_t options = 0;
  // Daemon >= 0x30008: [0] the host keeps "/" in returned paths; the rest are kept, unused.
  std::optional<std::array<std::int32_t, 4>> path_ints;
};
Outgoing build_connect_reply(const ConnectReply& reply);
Result<ConnectReply> parse_connect_reply(Payload payload);

// KWK_KLOGIN (W, 1).
enum class LoginKind : int { normal = 0, password_change = 1, forgotten_password = 2 };

struct LoginRequest {
  std::string user;
  std::vector<std::uint8_t> password_field;  // one of the forms below
  std::int32_t listen_port = 0;
  std::string domain;
  std::int32_t version_word = 0;
  std::string computer_name;
  std::uint32_t client_flags = kClientAlways;
  std::string installation_id;  // at most 25 characters
  std::int32_t print_port = 0;
  std::string data_directory;
  std::string install_directory;
  std::int32_t browser_number = 0;
  LoginKind kind = LoginKind::normal;
  std::string platform = "intwx";
  // Present exactly when the matching client flag is set.
  std::optional<std::int32_t> net_timeout_ms;     // kClientNetTimeout
  std::optional<std::int32_t> browser_host_type;  // kClientHostType
  std::optional<std::int32_t> icon_size;          // kClientIconSize, width 1
  std::optional<std::int32_t> font_factor;        // kClientFontFactor, width 1
};
inline constexpr std::size_t kMaxUserName = 64;
inline constexpr std::size_t kMaxDomain = 64;
inline constexpr std::size_t kMaxInstallationId = 25;
inline constexpr std::size_t kMaxPassword = 31;
inline constexpr std::size_t kMaxDirectory = 4096;  // the daemon's limit on received paths

// The builder writes the optional tails for the flags that are set (a set flag without its value
// writes 0).
Outgoing build_login_request(const LoginRequest& request);
// The parser reads the tails that the flags word announces; a missing tail is an error.
Result<LoginRequest> parse_login_request(Payload payload);

// Password field forms. Encrypted (daemon >= 0x71602 with a session key): the password, its
// zero byte and zero padding to 16 or 32 bytes, each 16-byte block encrypted with `key`, then
// "T" (`session_cipher` holds the session key's schedule). Passwords longer than 31 characters are
// cut to 31.
std::vector<std::uint8_t> encrypted_password_field(std::string_view password,
                                                   const net::TwofishCipher& session_cipher);
// Scrambled: 32 bytes: the password, its zero byte, then `filler` bytes; the first 31 bytes
// scrambled and byte 31 zero. `filler` supplies the random bytes (at least 31 are used).
std::vector<std::uint8_t> scrambled_password_field(std::string_view password,
                                                   std::span<const std::uint8_t> filler);
// The password field of a normal login: trailing bytes below 33 removed from the stored
// password, then the encrypted form for a daemon >= 0x71602 when a session key exists
// (`session_cipher` not null and prepared), else the scrambled form with `filler`.
std::vector<std::uint8_t> login_password_field(std::string_view stored_password, int daemon_version,
                                               const net::TwofishCipher* session_cipher,
                                               std::span<const std::uint8_t> filler);
// 31 pseudo-random filler bytes seeded from the processor clock.
std::vector<std::uint8_t> password_filler();
// Forgotten-password request: a blank and a zero byte.
std::vector<std::uint8_t> forgotten_password_field();
// The daemon side: recovers the password from either form (session key needed for the
// encrypted one). Errors for a field of neither form or a password without its zero byte.
Result<std::string> decode_password_field(std::span<const std::uint8_t> field,
                                          const net::TwofishCipher* session_cipher);

// KWK_KOMFAIL (D, 4): login refused. Reason codes 1 wrong password, 2 user unknown, 3 root not
// allowed, 4 cannot switch user, 6 already active.
struct LoginRefusal {
  std::optional<std::int32_t> reason;
  std::optional<std::string> text;  // up to 1500 bytes
};
inline constexpr std::size_t kMaxRefusalText = 1500;
Outgoing build_login_refusal(const LoginRefusal& refusal);
Result<LoginRefusal> parse_login_refusal(Payload payload);

// KWK_KOMOK (D, 3): login accepted.
inline constexpr std::uint32_t kReplyHostKindMask = 0x7;
inline constexpr std::uint32_t kReplyPasswordChange = 0x10;
inline constexpr std::uint32_t kReplyPasswordExpired = 0x60;
inline constexpr std::uint32_t kReplyRuleLevelMask = 0x700;
inline constexpr std::uint32_t kReplyTwoInts = 0x400;
inline constexpr std::uint32_t kReplyNetTimeout = 0x800;
inline constexpr int kDefaultDisplayOption = 221;

struct UpdateChange {
  std::int32_t version_word = 0;
  std::string version_text;  // up to 10 bytes
  std::string description;   // up to 514 bytes
};

struct LoginReply {
  std::optional<std::uint32_t> flags;
  std::optional<std::int32_t> listen_port;  // 0 = keep
  std::int32_t display_option = kDefaultDisplayOption;
  // Not sent / not read in workflow mode.
  std::optional<std::int32_t> update_version;
  std::optional<std::int32_t> update_size;
  std::optional<std::int32_t> daemon_version;
  std::optional<std::int32_t> session_timeout_min;        // daemon >= 0x20502
  std::optional<std::array<std::int32_t, 4>> path_ints;   // daemon >= 0x30008
  std::string session_text;                               // daemon >= 0x70200, <= 2032
  std::string name_text;                                  // daemon >= 0x70200, <= 60
  std::optional<std::int32_t> net_timeout_ms;             // flags bit 11
  std::optional<std::array<std::int32_t, 2>> extra_ints;  // flags bit 10
  std::vector<UpdateChange> changes;                      // when an applicable update is offered
};
inline constexpr std::size_t kMaxSessionText = 2032;
inline constexpr std::size_t kMaxNameText = 60;
inline constexpr std::size_t kMaxVersionText = 10;
inline constexpr std::size_t kMaxChangeText = 514;

// What the reader of a KOMOK payload must know.
struct LoginReplyContext {
  bool workflow_mode = false;
  std::int32_t running_version = 0;  // the workstation's version word
  bool update_suppressed = false;    // -ou
};
// Writes the fields the struct holds, in order: flags, listen port, display option, then (unless
// workflow_mode) the update version, size, daemon version and the version-gated fields of that
// daemon version; the change list when it is not empty.
Outgoing build_login_reply(const LoginReply& reply, bool workflow_mode = false);
Result<LoginReply> parse_login_reply(Payload payload, const LoginReplyContext& context);

// KWK_KENVIR (W, 5).
struct EnvironmentEntry {
  std::string name;
  std::string value;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.text("name", m.name);
    v.text("value", m.value);
  }
};
Outgoing build_environment(const EnvironmentEntry& entry);
Result<EnvironmentEntry> parse_environment(Payload payload);

// KWK_KSTART (W, 6).
struct StartRequest {
  std::string program;
  std::string directory;
  std::string command_line;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.text("program", m.program);
    v.text("directory", m.directory);
    v.text("command line", m.command_line);
  }
};
Outgoing build_start_request(const StartRequest& request);
Result<StartRequest> parse_start_request(Payload payload);

// KWK_KWORKFLOW (W, 26).
struct WorkflowRequest {
  std::string command;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.text("workflow command", m.command);
  }
};
Outgoing build_workflow_request(const WorkflowRequest& request);
Result<WorkflowRequest> parse_workflow_request(Payload payload);

// Start reply (D, type KWK_KSTART, KWK_KWORKFLOW or KWK_KEXEC).
struct StartReply {
  int type = net::KWK_KSTART;
  std::int32_t error = 0;  // 0 = started
  std::int32_t run_id = 0;
  std::string program;
  // Only with an error code not 0.
  std::optional<std::string> directory;   // up to 260 bytes
  std::optional<std::string> error_text;  // up to 512 bytes
};
Outgoing build_start_reply(const StartReply& reply);
Result<StartReply> parse_start_reply(int type, Payload payload);

// ---- Session ---------------------------------------------------------------------------------

// Messages without payload: KWK_KPING (both), KWK_KLOGOUT (W), KWK_KKOVDE (D), type 66 (D).
Outgoing build_empty(int type);

// KWK_KCFLAG (D, 56).
inline constexpr int kCflagStopTimeout = 2;
inline constexpr int kCflagRestartTimeout = 3;
struct SessionFlag {
  std::int32_t mode = 0;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("mode", m.mode);
  }
};
Outgoing build_session_flag(const SessionFlag& flag);
Result<SessionFlag> parse_session_flag(Payload payload);

// KWK_KSTOP (D, 52).
struct StopRequest {
  std::optional<std::int32_t> run_id;         // 0 or absent: all programs
  std::optional<std::int32_t> delay_seconds;  // written only after a run id
};
Outgoing build_stop_request(const StopRequest& request);
Result<StopRequest> parse_stop_request(Payload payload);

// KWK_KMESSAGE (D, 20).
struct HostMessage {
  std::string text;
  std::optional<std::string> sound_file;  // up to 512 bytes
};
Outgoing build_host_message(const HostMessage& message);
Result<HostMessage> parse_host_message(Payload payload);

// KWK_KALARM (D, 21).
struct HostAlarm {
  std::string text;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.text("alarm", m.text);
  }
};
Outgoing build_host_alarm(const HostAlarm& alarm);
Result<HostAlarm> parse_host_alarm(Payload payload);

// ---- Host programs ---------------------------------------------------------------------------

// KWK_KPROXY (D, 13) and KWK_KPRINT (D, 14).
struct ProxyEvent {
  int type = net::KWK_KPROXY;
  std::int32_t port = -1;  // parsed values below 1 become -1
  std::string pid_text;
};
Outgoing build_proxy_event(const ProxyEvent& event);
Result<ProxyEvent> parse_proxy_event(int type, Payload payload);

// KWK_KINFO (W, 12).
struct ProgramInfo {
  std::int32_t pid = 0;
  std::int64_t start_time = 0;  // seconds, width 8
  std::string name;             // at most 255 characters
};
Outgoing build_program_info(const ProgramInfo& info);
Result<ProgramInfo> parse_program_info(Payload payload);

// KWK_KEND (W, 8): a program thread's program ended.
struct ProgramEndNotice {
  std::int32_t pid = 0;
};
Outgoing build_program_end_notice(const ProgramEndNotice& notice);
Result<ProgramEndNotice> parse_program_end_notice(Payload payload);

// KWK_KEND (D, 8): a host program ended, with a process wait status.
struct ProgramEnded {
  std::int32_t run_id = 0;
  std::int32_t status = 0;
  std::optional<std::string> program;  // up to 260 bytes

  bool abnormal() const { return (status & 0xff) != 0; }
  int signal() const { return status & 0x7f; }
  bool core_dumped() const { return (status & 0x80) != 0; }
  int exit_code() const { return (status >> 8) & 0xff; }
};
Outgoing build_program_ended(const ProgramEnded& ended);
Result<ProgramEnded> parse_program_ended(Payload payload);

// ---- Passwords and administration ------------------------------------------------------------

// KWK_KPASS (W, 19). The builder scrambles both 16-byte fields twice; the parser unscrambles.
inline constexpr int kPassChange = 16;
struct PasswordChange {
  std::int32_t kind = kPassChange;
  std::string old_password;  // at most 15 characters
  std::string new_password;
};
Outgoing build_password_change(const PasswordChange& change);
Result<PasswordChange> parse_password_change(Payload payload);

// The answer to KWK_KPASS when it is not KWK_KOMOK.
struct PasswordRefusal {
  std::int32_t code = 0;
  std::string text;  // up to 128 bytes
};
Outgoing build_password_refusal(const PasswordRefusal& refusal);
Result<PasswordRefusal> parse_password_refusal(Payload payload);

// Cron administration (W, KWK_KSTART, or KWK_KEXEC for a daemon >= 0x30507).
enum class CronAction : char { logout = 'r', login = 'h', list = 'l' };
struct CronCommand {
  CronAction action = CronAction::list;
  std::string user;
  std::string password;  // deciphered stored password
  std::string domain;
};
Outgoing build_cron_command(const CronCommand& command, int daemon_version);
// The parsed form: program, directory and the command text as sent.
struct CronRequest {
  std::string program;
  std::string directory;
  std::string command;
};
Result<CronRequest> parse_cron_request(Payload payload);
// The password as the cron command writes it: scrambled three times (31 bytes), 62 hex digits.
std::string cron_password_hex(std::string_view password);

// ---- Macros and scripts (types 62 to 66) -----------------------------------------------------
inline constexpr int kTypeMacroFile = 62;
inline constexpr int kTypeMacroStart = 63;
inline constexpr int kTypeMacroDelete = 64;
inline constexpr int kTypeScriptStatus = 65;
inline constexpr int kTypeScriptAbort = 66;
inline constexpr std::size_t kMaxMacroPath = 260;  // file and macro names, zero byte included
inline constexpr std::size_t kMaxScriptStatusText = 1024;

struct MacroFile {  // 62 (D)
  std::int32_t unused = 0;
  std::string package_file;  // up to 260 bytes
  std::string macro_name;    // up to 260 bytes

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("unused", m.unused);
    v.text_in_field("package file", m.package_file, kMaxMacroPath);
    v.text_in_field("macro name", m.macro_name, kMaxMacroPath);
  }
};
Outgoing build_macro_file(const MacroFile& message);
Result<MacroFile> parse_macro_file(Payload payload);

inline constexpr int kMacroAll = 0x1;
inline constexpr int kMacroWait = 0x2;
inline constexpr int kMacroRandomPause = 0x4;
inline constexpr int kMacroPackage = 0x8;
struct MacroStart {  // 63 (D)
  std::int32_t flags = 0;
  std::string macro_name;
  std::string package_file;  // with kMacroPackage

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("flags", m.flags);
    v.text_in_field("macro name", m.macro_name, kMaxMacroPath);
    if (m.flags & kMacroPackage) v.text_in_field("package file", m.package_file, kMaxMacroPath);
  }
};
Outgoing build_macro_start(const MacroStart& message);
Result<MacroStart> parse_macro_start(Payload payload);

struct MacroDelete {  // 64 (D)
  std::int32_t flags = 0;
  std::string macro_name;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("flags", m.flags);
    v.text_in_field("macro name", m.macro_name, kMaxMacroPath);
  }
};
Outgoing build_macro_delete(const MacroDelete& message);
Result<MacroDelete> parse_macro_delete(Payload payload);

struct ScriptStatus {  // 65 (W), only to a daemon above 0x72202
  std::int32_t code = 0;
  std::string name;
  std::string text;

  template <class M, class V>
  static void fields(M& m, V& v) {
    v.int_field("status code", m.code);
    v.text_in_field("name", m.name, kMaxMacroPath);
    v.text_in_field("status text", m.text, kMaxScriptStatusText);
  }
};
Outgoing build_script_status(const ScriptStatus& message);
Result<ScriptStatus> parse_script_status(Payload payload);

// ---- Host search (datagrams) -----------------------------------------------------------------

// The query text, with its zero byte.
inline constexpr char kHostQuery[] = "Asking for KOV-Hosts";
std::vector<std::uint8_t> build_host_query();
bool is_host_query(std::span<const std::uint8_t> datagram);

// A daemon's answer: zero-terminated texts host name, address, optional port and load (decimal;
// an empty text counts as not given); a last text without its zero byte counts too, texts after
// the fourth are ignored. The parser refuses an answer without a host name or address, a name
// or address longer than 31 characters (a cut name could name another host) and a port or load
// that is not a number.
struct HostAnswer {
  std::string host_name;  // at most 31 characters
  std::string address;    // at most 31 characters
  std::optional<std::int32_t> port;
  std::optional<std::int32_t> load;
};
inline constexpr std::size_t kMaxHostAnswerText = 31;
std::vector<std::uint8_t> build_host_answer(const HostAnswer& answer);
Result<HostAnswer> parse_host_answer(std::span<const std::uint8_t> datagram);

// ---- Trace ---------------------------------------------------------------------------------

// One line describing a server-link message: its type name and decoded fields (or the parse
// error). `from_daemon` picks the direction where a type code is used both ways.
std::string describe_server_message(int type, Payload payload, bool from_daemon);

}  // namespace kovw::protocol
