#include "options.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

namespace hostsim {

namespace {

const char kUsage[] =
    "usage: hostsim [options]\n"
    "  --port P             daemon port: host search on P (UDP), link on P+1 (TCP); 0 = free\n"
    "  --user USER:PASSWORD[:DOMAIN]   an account (repeatable)\n"
    "  --users FILE         accounts, one per line: USER PASSWORD [DOMAIN]\n"
    "  --refuse CODE[:TEXT] refuse every login with this reason code (and text)\n"
    "  --header-level N     frame header level offered back (0, 1, 2, ...)\n"
    "  --compression        agree to compression when the workstation offers it\n"
    "  --encryption         agree to encryption when the workstation offers it\n"
    "  --old-daemon         answer the connect request without options (no session key)\n"
    "  --daemon-version V   daemon version word (default 0x072300)\n"
    "  --host-name NAME     host display name in the connect reply\n"
    "  --session-timeout M  session time-out in minutes in the login reply\n"
    "  --reply-flags F      login reply flags word (default 1)\n"
    "  --listen-port P      ask the workstation to listen on another port\n"
    "  --start-error CODE   error code of the start reply (0 = started)\n"
    "  --start-status S     wait status sent in KEND when the start program ends\n"
    "  --start-run-ms MS    how long the start program runs before its KEND\n"
    "  --close-at STAGE     close the link at 'connect' or 'login' (after that message)\n"
    "  --script FILE        event script (see README.md)\n"
    "  --start-program FILE a start request runs this host program script (see README.md)\n"
    "  --log FILE           frame log (default: standard output)\n"
    "  --files DIR          serve file fetches from DIR (default: refuse them)\n"
    "  --load N             load value in host search answers\n"
    "  --address A          address in host search answers (default: this station's)\n"
    "  --exit-after-logout  end after the first session\n"
    "  --offer-update V FILE  offer workstation version V; FILE is sent as its updater\n"
    "  --update-size N      offer N bytes instead of the file's size\n"
    "  --update-break N     close the link after N bytes of the updater\n"
    "  --update-refuse      refuse the updater's download (KOMFAIL)\n"
    "  --replay FILE        after the login, play the host side of a recorded program link\n"
    "                       and compare the workstation's frames (exit code 1 on a difference)\n"
    "  --fast               replay without the recorded timing\n"
    "  --dump-trace FILE    print a trace file decoded, one frame a line, and end\n";

bool number(std::string_view text, long& out) {
  const std::string s(text);
  char* end = nullptr;
  out = std::strtol(s.c_str(), &end, 0);
  return !s.empty() && end && *end == 0;
}

bool add_account(Options& o, const std::string& value_text, char separator) {
  std::istringstream in(value_text);
  std::string user, password, domain;
  if (separator == ':') {
    std::getline(in, user, ':');
    std::getline(in, password, ':');
    std::getline(in, domain);
  } else {
    in >> user >> password >> domain;
  }
  if (user.empty()) return false;
  o.users[user] = Account{password, domain};
  return true;
}

}  // namespace

std::optional<Options> parse_options(int argc, char** argv) {
  Options o;
  auto fail = [](const std::string& why) -> std::optional<Options> {
    std::fprintf(stderr, "hostsim: %s\n%s", why.c_str(), kUsage);
    return std::nullopt;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    auto int_value = [&](long& out) {
      const char* v = value();
      return v && number(v, out);
    };
    long n = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--port") {
      if (!int_value(n) || n < 0 || n > 65533) return fail("bad --port");
      o.base_port = static_cast<int>(n);
    } else if (arg == "--user") {
      const char* v = value();
      if (!v || !add_account(o, v, ':')) return fail("bad --user");
    } else if (arg == "--users") {
      const char* v = value();
      std::ifstream file(v ? v : "");
      if (!file) return fail("cannot read the users file");
      std::string line;
      while (std::getline(file, line))
        if (!line.empty() && line[0] != '#') add_account(o, line, ' ');
    } else if (arg == "--refuse") {
      const char* v = value();
      if (!v) return fail("bad --refuse");
      const std::string value_text = v;
      const auto colon = value_text.find(':');
      if (!number(value_text.substr(0, colon), n)) return fail("bad --refuse");
      o.refuse_reason = static_cast<int>(n);
      if (colon != std::string::npos) o.refuse_text = value_text.substr(colon + 1);
    } else if (arg == "--header-level") {
      if (!int_value(n) || n < 0 || n > 255) return fail("bad --header-level");
      o.header_level = static_cast<int>(n);
    } else if (arg == "--compression") {
      o.compression = true;
    } else if (arg == "--encryption") {
      o.encryption = true;
    } else if (arg == "--old-daemon") {
      o.old_daemon = true;
    } else if (arg == "--daemon-version") {
      if (!int_value(n)) return fail("bad --daemon-version");
      o.daemon_version = static_cast<std::int32_t>(n);
    } else if (arg == "--host-name") {
      const char* v = value();
      if (!v) return fail("bad --host-name");
      o.host_name = v;
    } else if (arg == "--session-timeout") {
      if (!int_value(n)) return fail("bad --session-timeout");
      o.session_timeout_min = static_cast<int>(n);
    } else if (arg == "--reply-flags") {
      if (!int_value(n)) return fail("bad --reply-flags");
      o.reply_flags = static_cast<std::uint32_t>(n);
    } else if (arg == "--listen-port") {
      if (!int_value(n)) return fail("bad --listen-port");
      o.listen_port_request = static_cast<int>(n);
    } else if (arg == "--start-error") {
      if (!int_value(n)) return fail("bad --start-error");
      o.start_error = static_cast<int>(n);
    } else if (arg == "--start-status") {
      if (!int_value(n)) return fail("bad --start-status");
      o.start_status = static_cast<int>(n);
    } else if (arg == "--start-run-ms") {
      if (!int_value(n) || n < 0) return fail("bad --start-run-ms");
      o.start_run_time_ms = static_cast<int>(n);
    } else if (arg == "--close-at") {
      const char* v = value();
      if (!v || (std::string_view(v) != "connect" && std::string_view(v) != "login"))
        return fail("bad --close-at");
      o.close_at = v;
    } else if (arg == "--start-program") {
      const char* v = value();
      if (!v) return fail("bad --start-program");
      o.start_program_path = v;
    } else if (arg == "--script") {
      const char* v = value();
      if (!v) return fail("bad --script");
      o.script_path = v;
    } else if (arg == "--files") {
      const char* v = value();
      if (!v) return fail("bad --files");
      o.files_directory = v;
    } else if (arg == "--log") {
      const char* v = value();
      if (!v) return fail("bad --log");
      o.log_path = v;
    } else if (arg == "--load") {
      if (!int_value(n)) return fail("bad --load");
      o.load = static_cast<int>(n);
    } else if (arg == "--address") {
      const char* v = value();
      if (!v || std::string_view(v).size() > 31) return fail("bad --address");
      o.address = v;
    } else if (arg == "--offer-update") {
      if (!int_value(n)) return fail("bad --offer-update");
      o.update_version = static_cast<std::int32_t>(n);
      const char* v = value();
      if (!v) return fail("bad --offer-update");
      o.update_file = v;
    } else if (arg == "--update-size") {
      if (!int_value(n) || n < 0) return fail("bad --update-size");
      o.update_size = n;
    } else if (arg == "--update-break") {
      if (!int_value(n) || n < 0) return fail("bad --update-break");
      o.update_break_after = n;
    } else if (arg == "--update-refuse") {
      o.update_refuse = true;
    } else if (arg == "--replay") {
      const char* v = value();
      if (!v) return fail("bad --replay");
      o.replay_path = v;
    } else if (arg == "--fast") {
      o.replay_fast = true;
    } else if (arg == "--dump-trace") {
      const char* v = value();
      if (!v) return fail("bad --dump-trace");
      o.dump_trace_path = v;
    } else if (arg == "--exit-after-logout") {
      o.exit_after_logout = true;
    } else {
      return fail("unknown option " + std::string(arg));
    }
  }
  return o;
}

}  // namespace hostsim
