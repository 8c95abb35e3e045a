#include "script.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "net/fields.h"
#include "net/link_names.h"
#include "protocol/server_messages.h"

namespace hostsim {

namespace proto = kovw::protocol;
namespace net = kovw::net;

// Splits a line into words; "double quoted" words may hold blanks and the escapes \" \\ \n
// \r \t \e (the escape byte) and \xHH (any byte).
namespace {
int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

bool split_script_line(const std::string& line, std::vector<std::string>& words,
                       std::string& error) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size()) {
          c = line[i++];
          if (c == 'n') c = '\n';
          if (c == 'r') c = '\r';
          if (c == 't') c = '\t';
          if (c == 'e') c = '\x1b';
          if (c == 'x') {
            // Two hexadecimal digits: any byte.
            const int high = i + 2 <= line.size() ? hex_digit(line[i]) : -1;
            const int low = high >= 0 ? hex_digit(line[i + 1]) : -1;
            if (low < 0) {
              error = "\\x needs two hexadecimal digits";
              return false;
            }
            c = static_cast<char>(high * 16 + low);
            i += 2;
          }
        }
        word += c;
      }
      if (!closed) {
        error = "unterminated quote";
        return false;
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') word += line[i++];
    }
    words.push_back(word);
  }
  return true;
}

bool script_int(const std::string& text, int& out) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 0);
  if (text.empty() || *end != 0) return false;
  out = static_cast<int>(v);
  return true;
}

int komm_type(const std::string& name) {
  int number = 0;
  if (script_int(name, number)) return number;
  int code = net::type_code(net::KWD_KOMM, name);
  if (code < 0) code = net::type_code(net::KWD_KOMM, "KWK_" + name);
  return code;
}

namespace {

std::optional<ScriptAction> parse_line(const std::vector<std::string>& w, std::string& error) {
  ScriptAction a;
  std::string command = w[0];
  if (command.rfind("KWK_", 0) == 0) command = command.substr(4);
  const std::size_t n = w.size();
  std::vector<int> ints;
  auto want_ints = [&](std::size_t from, std::size_t to) {  // w[from..to) must be numbers
    for (std::size_t i = from; i < to && i < n; ++i) {
      int v = 0;
      if (!script_int(w[i], v)) {
        error = "not a number: " + w[i];
        return false;
      }
      ints.push_back(v);
    }
    return true;
  };
  auto arity = [&](std::size_t least, std::size_t most) {
    if (n - 1 < least || n - 1 > most) {
      error = command + ": wrong number of arguments";
      return false;
    }
    return true;
  };
  if (command == "sleep") {
    if (!arity(1, 1) || !want_ints(1, 2)) return std::nullopt;
    a.kind = ScriptAction::Kind::sleep;
    a.milliseconds = ints[0];
  } else if (command == "wait-for") {
    if (!arity(1, 1)) return std::nullopt;
    a.kind = ScriptAction::Kind::wait_for;
    a.type = komm_type(w[1]);
    if (a.type < 0) {
      error = "unknown message type " + w[1];
      return std::nullopt;
    }
  } else if (command == "close") {
    if (!arity(0, 0)) return std::nullopt;
    a.kind = ScriptAction::Kind::close;
  } else if (command == "program") {
    if (!arity(1, 1)) return std::nullopt;
    std::string why;
    auto script = load_host_script(w[1], why);
    if (!script) {
      error = "program " + w[1] + ": " + why;
      return std::nullopt;
    }
    a.kind = ScriptAction::Kind::program;
    a.program = std::make_shared<const HostScript>(std::move(*script));
  } else if (command == "print") {
    // print "FILE" [PRINTER [FORMAT [MODE]]]: a print event with a job file.
    if (!arity(1, 4) || !want_ints(4, 5)) return std::nullopt;
    std::string why;
    auto job = load_print_job(w[1], why);
    if (!job) {
      error = "print " + w[1] + ": " + why;
      return std::nullopt;
    }
    if (n > 2) job->printer = w[2];
    if (n > 3) job->format = w[3];
    if (!ints.empty()) job->mode = ints[0];
    a.kind = ScriptAction::Kind::print;
    a.print_job = std::make_shared<const PrintJobSpec>(std::move(*job));
  } else if (command == "print-port") {
    // print-port "FILE" [PRINTER [FORMAT [MODE]]]: the job goes to the workstation's print port.
    if (!arity(1, 4) || !want_ints(4, 5)) return std::nullopt;
    std::string why;
    auto job = load_print_job(w[1], why);
    if (!job) {
      error = "print-port " + w[1] + ": " + why;
      return std::nullopt;
    }
    if (n > 2) job->printer = w[2];
    if (n > 3) job->format = w[3];
    if (!ints.empty()) job->mode = ints[0];
    job->to_print_port = true;
    a.kind = ScriptAction::Kind::print;
    a.print_job = std::make_shared<const PrintJobSpec>(std::move(*job));
  } else if (command == "wait-print") {
    // wait-print [MS]: until every print job ended (at most MS, default 60000).
    if (!arity(0, 1) || !want_ints(1, 2)) return std::nullopt;
    a.kind = ScriptAction::Kind::wait_print;
    a.milliseconds = ints.empty() ? 60000 : ints[0];
  } else if (command == "print-direct") {
    // print-direct [PRINTER]: a print event whose connection becomes a direct print link.
    if (!arity(0, 1)) return std::nullopt;
    PrintJobSpec job;
    job.name = "direct";
    job.mode = 2;
    if (n > 1) job.printer = w[1];
    a.kind = ScriptAction::Kind::print;
    a.print_job = std::make_shared<const PrintJobSpec>(std::move(job));
  } else if (command == "KMESSAGE") {
    if (!arity(1, 2)) return std::nullopt;
    proto::HostMessage m{w[1], {}};
    if (n > 2) m.sound_file = w[2];
    a.message = proto::build_host_message(m);
  } else if (command == "KALARM") {
    if (!arity(1, 1)) return std::nullopt;
    a.message = proto::build_host_alarm({w[1]});
  } else if (command == "KSTOP") {
    if (!arity(0, 2) || !want_ints(1, 3)) return std::nullopt;
    proto::StopRequest r;
    if (ints.size() > 0) r.run_id = ints[0];
    if (ints.size() > 1) r.delay_seconds = ints[1];
    a.message = proto::build_stop_request(r);
  } else if (command == "KKOVDE") {
    // The workstation does not read its payload; an optional number is sent as an int field.
    if (!arity(0, 1) || !want_ints(1, 2)) return std::nullopt;
    std::vector<std::uint8_t> payload;
    if (!ints.empty()) net::put_int_field(payload, ints[0], 4);
    a.message = proto::Outgoing{net::KWD_KOMM, net::KWK_KKOVDE, std::move(payload)};
  } else if (command == "KPING" || command == "SCRIPTABORT") {
    if (!arity(0, 0)) return std::nullopt;
    a.message = proto::build_empty(command == "KPING" ? net::KWK_KPING : proto::kTypeScriptAbort);
  } else if (command == "KCFLAG") {
    if (!arity(1, 1) || !want_ints(1, 2)) return std::nullopt;
    a.message = proto::build_session_flag({ints[0]});
  } else if (command == "KEND") {
    if (!arity(2, 3) || !want_ints(1, 3)) return std::nullopt;
    proto::ProgramEnded e{ints[0], ints[1], {}};
    if (n > 3) e.program = w[3];
    a.message = proto::build_program_ended(e);
  } else if (command == "KPROXY" || command == "KPRINT") {
    if (!arity(2, 2) || !want_ints(1, 2)) return std::nullopt;
    proto::ProxyEvent e{command == "KPROXY" ? net::KWK_KPROXY : net::KWK_KPRINT, ints[0], w[2]};
    a.message = proto::build_proxy_event(e);
  } else if (command == "KDATA") {
    if (!arity(1, 1) || !want_ints(1, 2)) return std::nullopt;
    a.message = proto::Outgoing{net::KWD_KOMM, net::KWK_KDATA,
                                std::vector<std::uint8_t>(std::max(ints[0], 0), 0x55)};
  } else if (command == "MACROFILE") {
    if (!arity(2, 2)) return std::nullopt;
    a.message = proto::build_macro_file({0, w[1], w[2]});
  } else if (command == "MACROSTART") {
    if (!arity(2, 3) || !want_ints(1, 2)) return std::nullopt;
    proto::MacroStart m{ints[0], w[2], n > 3 ? w[3] : ""};
    a.message = proto::build_macro_start(m);
  } else if (command == "MACRODELETE") {
    if (!arity(2, 2) || !want_ints(1, 2)) return std::nullopt;
    a.message = proto::build_macro_delete({ints[0], w[2]});
  } else {
    error = "unknown command " + w[0];
    return std::nullopt;
  }
  return a;
}

}  // namespace

std::optional<std::vector<ScriptAction>> parse_script(const std::string& text, std::string& error) {
  std::vector<ScriptAction> actions;
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> words;
    std::string why;
    if (!split_script_line(line, words, why)) {
      error = "line " + std::to_string(number) + ": " + why;
      return std::nullopt;
    }
    if (words.empty()) continue;
    if (words[0] == "after-login") words.erase(words.begin());  // the only trigger there is
    if (words.empty()) continue;
    auto action = parse_line(words, why);
    if (!action) {
      error = "line " + std::to_string(number) + ": " + why;
      return std::nullopt;
    }
    action->text = line;
    actions.push_back(std::move(*action));
  }
  return actions;
}

std::optional<std::vector<ScriptAction>> load_script(const std::string& path, std::string& error) {
  std::ifstream file(path);
  if (!file) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  std::stringstream all;
  all << file.rdbuf();
  return parse_script(all.str(), error);
}

}  // namespace hostsim
