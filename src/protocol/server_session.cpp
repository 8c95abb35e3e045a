// Session, host-program, password and macro messages of the server link.
#include <cstdio>
#include <cstring>

#include "net/password_scramble.h"
#include "protocol/payload_codec.h"
#include "protocol/server_messages.h"

namespace kovw::protocol {

using net::KWD_KOMM;

BuiltMessage build_empty(int type) {
  return make_message(KWD_KOMM, type, {});
}

BuiltMessage build_session_flag(const SessionFlag& flag) {
  PayloadWriter out;
  out.int_field(flag.mode);
  return make_message(KWD_KOMM, net::KWK_KCFLAG, out.take());
}

Result<SessionFlag> parse_session_flag(Payload payload) {
  PayloadReader in(payload);
  SessionFlag f;
  f.mode = in.int_field("mode");
  return finish(in, f);
}

BuiltMessage build_stop_request(const StopRequest& request) {
  PayloadWriter out;
  if (request.run_id || request.delay_seconds) {
    out.int_field(request.run_id.value_or(0));
    if (request.delay_seconds) out.int_field(*request.delay_seconds);
  }
  return make_message(KWD_KOMM, net::KWK_KSTOP, out.take());
}

Result<StopRequest> parse_stop_request(Payload payload) {
  PayloadReader in(payload);
  StopRequest r;
  if (in.more()) r.run_id = in.int_field("run id");
  if (in.more()) r.delay_seconds = in.int_field("delay");
  return finish(in, r);
}

BuiltMessage build_host_message(const HostMessage& message) {
  PayloadWriter out;
  out.text(message.text);
  if (message.sound_file) out.text(message.sound_file->substr(0, 511));
  return make_message(KWD_KOMM, net::KWK_KMESSAGE, out.take());
}

Result<HostMessage> parse_host_message(Payload payload) {
  PayloadReader in(payload);
  HostMessage m;
  m.text = in.text("message");
  if (in.more()) m.sound_file = in.text("sound file", 512);
  return finish(in, std::move(m));
}

BuiltMessage build_host_alarm(const HostAlarm& alarm) {
  PayloadWriter out;
  out.text(alarm.text);
  return make_message(KWD_KOMM, net::KWK_KALARM, out.take());
}

Result<HostAlarm> parse_host_alarm(Payload payload) {
  PayloadReader in(payload);
  HostAlarm a;
  a.text = in.text("alarm");
  return finish(in, std::move(a));
}

BuiltMessage build_proxy_event(const ProxyEvent& event) {
  PayloadWriter out;
  out.int_field(event.port).text(event.pid_text);
  return make_message(KWD_KOMM, event.type, out.take());
}

Result<ProxyEvent> parse_proxy_event(int type, Payload payload) {
  PayloadReader in(payload);
  ProxyEvent e;
  e.type = type;
  e.port = in.int_field("port");
  if (e.port < 1) e.port = -1;
  e.pid_text = in.text("process id", 32);
  return finish(in, std::move(e));
}

BuiltMessage build_program_info(const ProgramInfo& info) {
  PayloadWriter out;
  out.int_field(info.pid).int_field(info.start_time, 8).text(info.name.substr(0, 255));
  return make_message(KWD_KOMM, net::KWK_KINFO, out.take());
}

Result<ProgramInfo> parse_program_info(Payload payload) {
  PayloadReader in(payload);
  ProgramInfo i;
  i.pid = in.int_field("process id");
  i.start_time = in.int64_field("start time");
  i.name = in.text("program name", 256);
  return finish(in, std::move(i));
}

BuiltMessage build_program_end_notice(const ProgramEndNotice& notice) {
  PayloadWriter out;
  out.int_field(notice.pid).int_field(0, 2);
  return make_message(KWD_KOMM, net::KWK_KEND, out.take());
}

Result<ProgramEndNotice> parse_program_end_notice(Payload payload) {
  PayloadReader in(payload);
  ProgramEndNotice n;
  n.pid = in.int_field("process id");
  in.int_field("end value");
  return finish(in, n);
}

BuiltMessage build_program_ended(const ProgramEnded& ended) {
  PayloadWriter out;
  out.int_field(ended.run_id).int_field(ended.status);
  if (ended.program) out.text(ended.program->substr(0, 259));
  return make_message(KWD_KOMM, net::KWK_KEND, out.take());
}

Result<ProgramEnded> parse_program_ended(Payload payload) {
  PayloadReader in(payload);
  ProgramEnded e;
  e.run_id = in.int_field("run id");
  e.status = in.int_field("end status");
  if (in.more()) e.program = in.text("program name", 260);
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

BuiltMessage build_password_change(const PasswordChange& change) {
  auto old_field = password16(change.old_password);
  auto new_field = password16(change.new_password);
  for (int i = 0; i < 2; ++i) {
    net::scramble_password(old_field.data(), 16);
    net::scramble_password(new_field.data(), 16);
  }
  PayloadWriter out;
  out.int_field(change.kind).bytes(old_field).bytes(new_field);
  old_field.fill(0);
  new_field.fill(0);
  return make_message(KWD_KOMM, net::KWK_KPASS, out.take());
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

BuiltMessage build_password_refusal(const PasswordRefusal& refusal) {
  PayloadWriter out;
  out.int_field(refusal.code).text(refusal.text.substr(0, 127));
  return make_message(KWD_KOMM, net::KWK_KOMFAIL, out.take());
}

Result<PasswordRefusal> parse_password_refusal(Payload payload) {
  PayloadReader in(payload);
  PasswordRefusal r;
  if (in.remaining() > 0) r.code = in.int_field("code");
  if (in.more()) r.text = in.text("reason", 128);
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

BuiltMessage build_cron_command(const CronCommand& command, int daemon_version) {
  std::string text = "-w -tKOVDcron HW/p/hvcruser -";
  text += static_cast<char>(command.action);
  if (command.action != CronAction::list) {
    text += " \"" + command.user + "\" \"" + cron_password_hex(command.password) + "\" \"" +
            command.domain + "\"";
  }
  PayloadWriter out;
  out.text("HW/p/hvrsh").text("").bytes(std::string_view(text));
  const int type = daemon_version >= kDaemonKexecCron ? net::KWK_KEXEC : net::KWK_KSTART;
  return make_message(KWD_KOMM, type, out.take());
}

Result<CronRequest> parse_cron_request(Payload payload) {
  PayloadReader in(payload);
  CronRequest r;
  r.program = in.text("program");
  r.directory = in.text("directory");
  const Bytes command = in.bytes("command");
  r.command.assign(command.begin(), command.end());
  return finish(in, std::move(r));
}

// ---- Macros and scripts ------------------------------------------------------------------------

BuiltMessage build_macro_file(const MacroFile& m) {
  PayloadWriter out;
  out.int_field(m.unused).text(m.package_file.substr(0, 259)).text(m.macro_name.substr(0, 259));
  return make_message(KWD_KOMM, kTypeMacroFile, out.take());
}

Result<MacroFile> parse_macro_file(Payload payload) {
  PayloadReader in(payload);
  MacroFile m;
  m.unused = in.int_field("unused");
  m.package_file = in.text("package file", 260);
  m.macro_name = in.text("macro name", 260);
  return finish(in, std::move(m));
}

BuiltMessage build_macro_start(const MacroStart& m) {
  PayloadWriter out;
  out.int_field(m.flags).text(m.macro_name);
  if (m.flags & kMacroPackage) out.text(m.package_file);
  return make_message(KWD_KOMM, kTypeMacroStart, out.take());
}

Result<MacroStart> parse_macro_start(Payload payload) {
  PayloadReader in(payload);
  MacroStart m;
  m.flags = in.int_field("flags");
  m.macro_name = in.text("macro name", 260);
  if (m.flags & kMacroPackage) m.package_file = in.text("package file", 260);
  return finish(in, std::move(m));
}

BuiltMessage build_macro_delete(const MacroDelete& m) {
  PayloadWriter out;
  out.int_field(m.flags).text(m.macro_name);
  return make_message(KWD_KOMM, kTypeMacroDelete, out.take());
}

Result<MacroDelete> parse_macro_delete(Payload payload) {
  PayloadReader in(payload);
  MacroDelete m;
  m.flags = in.int_field("flags");
  m.macro_name = in.text("macro name", 260);
  return finish(in, std::move(m));
}

BuiltMessage build_script_status(const ScriptStatus& m) {
  PayloadWriter out;
  out.int_field(m.code).text(m.name).text(m.text);
  return make_message(KWD_KOMM, kTypeScriptStatus, out.take());
}

Result<ScriptStatus> parse_script_status(Payload payload) {
  PayloadReader in(payload);
  ScriptStatus m;
  m.code = in.int_field("status code");
  m.name = in.text("name", 260);
  m.text = in.text("status text", 1024);
  return finish(in, std::move(m));
}

}  // namespace kovw::protocol
