// Session, host-program, password and macro messages of the server link.
#include <cstdio>
#include <cstring>

#include "net/password_scramble.h"
#include "protocol/described_message.h"
#include "protocol/payload_codec.h"
#include "protocol/server_messages.h"

namespace kovw::protocol {

using net::KWD_KOMM;

Outgoing build_empty(int type) {
  return Outgoing{KWD_KOMM, type, {}};
}

Outgoing build_session_flag(const SessionFlag& flag) {
  return build_described(KWD_KOMM, net::KWK_KCFLAG, flag);
}

Result<SessionFlag> parse_session_flag(Payload payload) {
  return parse_described<SessionFlag>(payload);
}

Outgoing build_stop_request(const StopRequest& request) {
  Outgoing built{KWD_KOMM, net::KWK_KSTOP, {}};
  PayloadWriter out(built.payload);
  if (request.run_id || request.delay_seconds) {
    out.int_field(request.run_id.value_or(0));
    if (request.delay_seconds) out.int_field(*request.delay_seconds);
  }
  return built;
}

Result<StopRequest> parse_stop_request(Payload payload) {
  PayloadReader in(payload);
  StopRequest r;
  if (in.more(kServerTailBytes)) r.run_id = in.int_field("run id");
  if (in.more(kServerTailBytes)) r.delay_seconds = in.int_field("delay");
  return finish(in, r);
}

Outgoing build_host_message(const HostMessage& message) {
  Outgoing built{KWD_KOMM, net::KWK_KMESSAGE, {}};
  PayloadWriter out(built.payload);
  out.text(message.text);
  if (message.sound_file) out.text(message.sound_file->substr(0, 511));
  return built;
}

Result<HostMessage> parse_host_message(Payload payload) {
  PayloadReader in(payload);
  HostMessage m;
  m.text = in.text("message");
  if (in.more(kServerTailBytes)) m.sound_file = in.text_in_field("sound file", 512);
  return finish(in, std::move(m));
}

Outgoing build_host_alarm(const HostAlarm& alarm) {
  return build_described(KWD_KOMM, net::KWK_KALARM, alarm);
}

Result<HostAlarm> parse_host_alarm(Payload payload) {
  return parse_described<HostAlarm>(payload);
}

Outgoing build_proxy_event(const ProxyEvent& event) {
  Outgoing built{KWD_KOMM, event.type, {}};
  PayloadWriter out(built.payload);
  out.int_field(event.port).text(event.pid_text);
  return built;
}

Result<ProxyEvent> parse_proxy_event(int type, Payload payload) {
  PayloadReader in(payload);
  ProxyEvent e;
  e.type = type;
  e.port = in.int_field("port");
  if (e.port < 1) e.port = -1;
  e.pid_text = in.text_in_field("process id", 32);
  return finish(in, std::move(e));
}

Outgoing build_program_info(const ProgramInfo& info) {
  Outgoing built{KWD_KOMM, net::KWK_KINFO, {}};
  PayloadWriter out(built.payload);
  out.int_field(info.pid).int_field(info.start_time, 8).text(info.name.substr(0, 255));
  return built;
}

Result<ProgramInfo> parse_program_info(Payload payload) {
  PayloadReader in(payload);
  ProgramInfo i;
  i.pid = in.int_field("process id");
  i.start_time = in.int64_field("start time");
  i.name = in.text_in_field("program name", 256);
  return finish(in, std::move(i));
}

Outgoing build_program_end_notice(const ProgramEndNotice& notice) {
  Outgoing built{KWD_KOMM, net::KWK_KEND, {}};
  PayloadWriter out(built.payload);
  out.int_field(notice.pid).int_field(0, 2);
  return built;
}

Result<ProgramEndNotice> parse_program_end_notice(Payload payload) {
  PayloadReader in(payload);
  ProgramEndNotice n;
  n.pid = in.int_field("process id");
  in.int_field("end value");
  return finish(in, n);
}

Outgoing build_program_ended(const ProgramEnded& ended) {
  Outgoing built{KWD_KOMM, net::KWK_KEND, {}};
  PayloadWriter out(built.payload);
  out.int_field(ended.run_id).int_field(ended.status);
  if (ended.program) out.text(ended.program->substr(0, 259));
  return built;
}

Result<ProgramEnded> parse_program_ended(Payload payload) {
  PayloadReader in(payload);
  ProgramEnded e;
  e.run_id = in.int_field("run id");
  e.status = in.int_field("end status");
  if (in.more(kServerTailBytes)) e.program = in.text_in_field("program name", 260);
  return finish(in, std::move(e));
}

// ---- Passwords and administration ----------------------------------------------------------

namespace {

std::array<std::uint8_t, 16> password16(std::string_view password) {
  std::array<std::uint8_t, 16> field{};
  std::memcpy(field.data(), password.data(), std::min<std::size_t>(password.size(), 16));
  return field;
}

std::string from_password16(std::array<std::uint8_t, 16> field) {
  net::unscramble_password(field.data(), 16);
  net::unscramble_password(field.data(), 16);
  std::size_t n = 0;
  while (n < field.size() && field[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(field.data()), n);
}

}  // namespace

Outgoing build_password_change(const PasswordChange& change) {
  auto old_field = password16(change.old_password);
  auto new_field = password16(change.new_password);
  for (int i = 0; i < 2; ++i) {
    net::scramble_password(old_field.data(), 16);
    net::scramble_password(new_field.data(), 16);
  }
  Outgoing built{KWD_KOMM, net::KWK_KPASS, {}};
  PayloadWriter out(built.payload);
  out.int_field(change.kind).bytes(old_field).bytes(new_field);
  old_field.fill(0);
  new_field.fill(0);
  return built;
}

Result<PasswordChange> parse_password_change(Payload payload) {
  PayloadReader in(payload);
  PasswordChange c;
  c.kind = in.int_field("kind");
  const Bytes old_field = in.exact_bytes("old password", 16);
  const Bytes new_field = in.exact_bytes("new password", 16);
  if (in.ok()) {
    std::array<std::uint8_t, 16> a{}, b{};
    std::copy(old_field.begin(), old_field.end(), a.begin());
    std::copy(new_field.begin(), new_field.end(), b.begin());
    c.old_password = from_password16(a);
    c.new_password = from_password16(b);
  }
  return finish(in, std::move(c));
}

Outgoing build_password_refusal(const PasswordRefusal& refusal) {
  Outgoing built{KWD_KOMM, net::KWK_KOMFAIL, {}};
  PayloadWriter out(built.payload);
  out.int_field(refusal.code).text(refusal.text.substr(0, 127));
  return built;
}

Result<PasswordRefusal> parse_password_refusal(Payload payload) {
  PayloadReader in(payload);
  PasswordRefusal r;
  if (in.remaining() > 0) r.code = in.int_field("code");
  if (in.more(kServerTailBytes)) r.text = in.text_in_field("reason", 128);
  return finish(in, std::move(r));
}

std::string cron_password_hex(std::string_view password) {
  std::array<std::uint8_t, 31> field{};
  std::memcpy(field.data(), password.data(), std::min<std::size_t>(password.size(), 31));
  for (int i = 0; i < 3; ++i) net::scramble_password(field.data(), field.size());
  std::string hex;
  char digits[3];
  for (auto b : field) {
    std::snprintf(digits, sizeof digits, "%02X", b);
    hex += digits;
  }
  field.fill(0);
  return hex;
}

Outgoing build_cron_command(const CronCommand& command, int daemon_version) {
  std::string text = "-w -tKOVDcron HW/p/hvcruser -";
  text += static_cast<char>(command.action);
  if (command.action != CronAction::list) {
    text += " \"" + command.user + "\" \"" + cron_password_hex(command.password) + "\" \"" +
            command.domain + "\"";
  }
  const int type = daemon_version >= kDaemonKexecCron ? net::KWK_KEXEC : net::KWK_KSTART;
  Outgoing built{KWD_KOMM, type, {}};
  PayloadWriter out(built.payload);
  out.text("HW/p/hvrsh").text("").bytes(std::string_view(text));
  return built;
}

Result<CronRequest> parse_cron_request(Payload payload) {
  PayloadReader in(payload);
  CronRequest r;
  r.program = in.text("program");
  r.directory = in.text("directory");
  const auto command = in.bytes("command");
  r.command.assign(command.begin(), command.end());
  return finish(in, std::move(r));
}

// ---- Macros and scripts ------------------------------------------------------------------------

Outgoing build_macro_file(const MacroFile& m) {
  // Names are cut to what the daemon's fields hold.
  MacroFile cut = m;
  cut.package_file = cut.package_file.substr(0, kMaxMacroPath - 1);
  cut.macro_name = cut.macro_name.substr(0, kMaxMacroPath - 1);
  return build_described(KWD_KOMM, kTypeMacroFile, cut);
}

Result<MacroFile> parse_macro_file(Payload payload) {
  return parse_described<MacroFile>(payload);
}

Outgoing build_macro_start(const MacroStart& m) {
  return build_described(KWD_KOMM, kTypeMacroStart, m);
}

Result<MacroStart> parse_macro_start(Payload payload) {
  return parse_described<MacroStart>(payload);
}

Outgoing build_macro_delete(const MacroDelete& m) {
  return build_described(KWD_KOMM, kTypeMacroDelete, m);
}

Result<MacroDelete> parse_macro_delete(Payload payload) {
  return parse_described<MacroDelete>(payload);
}

Outgoing build_script_status(const ScriptStatus& m) {
  return build_described(KWD_KOMM, kTypeScriptStatus, m);
}

Result<ScriptStatus> parse_script_status(Payload payload) {
  return parse_described<ScriptStatus>(payload);
}

}  // namespace kovw::protocol
