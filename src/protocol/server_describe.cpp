// One-line descriptions of server-link messages for traces and the demonstration daemon's log.
#include <string>

#include "protocol/server_messages.h"

namespace kovw::protocol {

namespace {

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7f) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", u);
      out += hex;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string hex(std::uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

template <class T, class F>
std::string fields(const Result<T>& r, F describe) {
  if (!r) return "malformed: " + r.error().message;
  return describe(*r);
}

std::string describe_fields(int type, Payload p, bool from_daemon) {
  using namespace net;
  switch (type) {
    case KWK_KSDATEI:
      if (!is_connect_request(p)) break;
      return fields(parse_connect_request(p), [](const ConnectRequest& r) {
        return "connect request computer=" + quoted(r.computer_name) +
               " version=" + hex(r.version_word) + " options=" + hex(r.offered_options);
      });
    case KWK_KCONNECT:
      return fields(parse_connect_reply(p), [](const ConnectReply& r) {
        return "host=" + quoted(r.host_name) + " daemon=" + hex(r.daemon_version) +
               " options=" + hex(r.options);
      });
    case KWK_KLOGIN:
      return fields(parse_login_request(p), [](const LoginRequest& r) {
        std::string s =
            "user=" + quoted(r.user) + " password=" + std::to_string(r.password_field.size()) +
            " bytes listen=" + std::to_string(r.listen_port) + " domain=" + quoted(r.domain) +
            " version=" + hex(r.version_word) + " computer=" + quoted(r.computer_name) +
            " flags=" + hex(r.client_flags) + " print=" + std::to_string(r.print_port) +
            " kind=" + std::to_string(static_cast<int>(r.kind)) + " platform=" + quoted(r.platform);
        if (r.net_timeout_ms) s += " net-timeout=" + std::to_string(*r.net_timeout_ms);
        if (r.browser_host_type) s += " host-type=" + std::to_string(*r.browser_host_type);
        if (r.icon_size) s += " icon-size=" + std::to_string(*r.icon_size);
        if (r.font_factor) s += " font-factor=" + std::to_string(*r.font_factor);
        return s;
      });
    case KWK_KOMOK:
      if (!from_daemon || p.empty()) return "";
      return fields(parse_login_reply(p, {}), [](const LoginReply& r) {
        std::string s = "flags=" + hex(r.flags.value_or(0)) +
                        " listen=" + std::to_string(r.listen_port.value_or(0));
        if (r.daemon_version) s += " daemon=" + hex(*r.daemon_version);
        if (r.session_timeout_min) s += " timeout=" + std::to_string(*r.session_timeout_min);
        return s;
      });
    case kTypeMacroFile:
      return fields(parse_macro_file(p), [](const MacroFile& m) {
        return "package=" + quoted(m.package_file) + " macro=" + quoted(m.macro_name);
      });
    case kTypeMacroStart:
      return fields(parse_macro_start(p), [](const MacroStart& m) {
        return "flags=" + hex(m.flags) + " macro=" + quoted(m.macro_name);
      });
    case kTypeMacroDelete:
      return fields(parse_macro_delete(p), [](const MacroDelete& m) {
        return "flags=" + hex(m.flags) + " macro=" + quoted(m.macro_name);
      });
    case KWK_KOMFAIL:
      return fields(parse_login_refusal(p), [](const LoginRefusal& r) {
        std::string s = r.reason ? "reason=" + std::to_string(*r.reason) : "";
        if (r.text) s += " text=" + quoted(*r.text);
        return s;
      });
    case KWK_KENVIR:
      return fields(parse_environment(p), [](const EnvironmentEntry& e) {
        return quoted(e.name) + "=" + quoted(e.value);
      });
    case KWK_KSTART:
    case KWK_KWORKFLOW:
    case KWK_KEXEC:
      if (from_daemon)
        return fields(parse_start_reply(type, p), [](const StartReply& r) {
          return "error=" + std::to_string(r.error) + " run=" + std::to_string(r.run_id) +
                 " program=" + quoted(r.program);
        });
      if (type == KWK_KWORKFLOW)
        return fields(parse_workflow_request(p),
                      [](const WorkflowRequest& r) { return "command=" + quoted(r.command); });
      if (type == KWK_KEXEC)
        return fields(parse_cron_request(p), [](const CronRequest& r) {
          return "program=" + quoted(r.program) + " command=" + quoted(r.command);
        });
      return fields(parse_start_request(p), [](const StartRequest& r) {
        return "program=" + quoted(r.program) + " directory=" + quoted(r.directory) +
               " command=" + quoted(r.command_line);
      });
    case KWK_KEND:
      if (from_daemon)
        return fields(parse_program_ended(p), [](const ProgramEnded& e) {
          return "run=" + std::to_string(e.run_id) + " status=" + hex(e.status);
        });
      return fields(parse_program_end_notice(p),
                    [](const ProgramEndNotice& n) { return "pid=" + std::to_string(n.pid); });
    case KWK_KINFO:
      return fields(parse_program_info(p), [](const ProgramInfo& i) {
        return "pid=" + std::to_string(i.pid) + " start=" + std::to_string(i.start_time) +
               " name=" + quoted(i.name);
      });
    case KWK_KPROXY:
    case KWK_KPRINT:
      return fields(parse_proxy_event(type, p), [](const ProxyEvent& e) {
        return "port=" + std::to_string(e.port) + " pid=" + quoted(e.pid_text);
      });
    case KWK_KPASS:
      return fields(parse_password_change(p), [](const PasswordChange& c) {
        return "kind=" + std::to_string(c.kind);  // never the passwords
      });
    case KWK_KMESSAGE:
      return fields(parse_host_message(p),
                    [](const HostMessage& m) { return "text=" + quoted(m.text); });
    case KWK_KALARM:
      return fields(parse_host_alarm(p),
                    [](const HostAlarm& a) { return "text=" + quoted(a.text); });
    case KWK_KSTOP:
      return fields(parse_stop_request(p), [](const StopRequest& r) {
        return "run=" + std::to_string(r.run_id.value_or(0)) +
               " delay=" + std::to_string(r.delay_seconds.value_or(0));
      });
    case KWK_KCFLAG:
      return fields(parse_session_flag(p),
                    [](const SessionFlag& f) { return "mode=" + std::to_string(f.mode); });
    case kTypeScriptStatus:
      return fields(parse_script_status(p), [](const ScriptStatus& s) {
        return "code=" + std::to_string(s.code) + " name=" + quoted(s.name) +
               " text=" + quoted(s.text);
      });
    case KWK_KPING:
    case KWK_KLOGOUT:
    case KWK_KKOVDE:
      return "";
    default:
      break;
  }
  return std::to_string(p.size()) + " bytes";
}

}  // namespace

std::string describe_server_message(int type, Payload payload, bool from_daemon) {
  const char* name = net::type_name(net::KWD_KOMM, type);
  std::string line = name ? name : "type " + std::to_string(type);
  const std::string detail = describe_fields(type, payload, from_daemon);
  if (!detail.empty()) line += " " + detail;
  return line;
}

}  // namespace kovw::protocol
