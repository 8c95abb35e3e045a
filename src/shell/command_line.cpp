#include "shell/command_line.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/path_synonyms.h"
#include "foundation/show_message.h"
#include "shell/password_field.h"

namespace kovw::shell {
namespace {

using foundation::message_text;

constexpr std::size_t kParameterFileLimit = 1 << 20;  // a parameter file is a short text

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string format_text(const char* format, ...) {
  char buffer[2048];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(buffer, sizeof buffer, format, ap);
  va_end(ap);
  return buffer;
}

// Formats a text of the message table with one string argument. The table's text is the
// format, so its conversion must be a single %s.
std::string format_message_s(int number, const std::string& value) {
  std::string format = message_text(number);
  std::string out;
  std::size_t at = format.find("%s");
  if (at == std::string::npos) return format;
  out = format.substr(0, at) + value + format.substr(at + 2);
  return out;
}

class Parser {
 public:
  Parser(std::string_view text, StartOptions& options, const ParseContext& context,
         std::vector<CommandLineMessage>* messages)
      : text_(text), options_(options), context_(context), messages_(messages) {}

  StartAction run();

 private:
  // --- reporting ---
  void report(int number, const std::string& caption, const std::string& text) {
    CommandLineMessage message{number, caption, text};
    if (messages_) messages_->push_back(message);
    if (context_.report) context_.report(message);
  }
  // Message 10051: an error on the command line.
  void command_line_error(const std::string& what, const char* caption = "Start") {
    report(10051, caption, format_message_s(10051, what));
  }
  // An error that ends the program: reported, and the result is an error.
  StartAction fatal(const std::string& what, const char* caption = "Start") {
    command_line_error(what, caption);
    options_.overrides.mask = 0;
    return StartAction::Error;
  }

  // --- scanning ---
  bool at_end() const { return pos_ >= text_.size(); }
  char peek() const { return at_end() ? '\0' : text_[pos_]; }
  void skip_blanks() {
    while (!at_end() && is_blank(text_[pos_])) ++pos_;
  }
  // Reads a value word: blanks skipped first; a double quote toggles quoting and is not
  // copied; a backslash before a backslash or a double quote copies that character; any
  // other backslash is copied. Ends at a blank outside quotes or at one of `stops`.
  std::string read_word(std::string_view stops = {}) {
    skip_blanks();
    std::string word;
    bool quoted = false;
    while (!at_end()) {
      char c = text_[pos_];
      if (c == '"') {
        quoted = !quoted;
        ++pos_;
        continue;
      }
      if (!quoted && (is_blank(c) || stops.find(c) != std::string_view::npos)) break;
      if (c == '\\' && pos_ + 1 < text_.size() &&
          (text_[pos_ + 1] == '\\' || text_[pos_ + 1] == '"')) {
        word += text_[pos_ + 1];
        pos_ += 2;
        continue;
      }
      word += c;
      ++pos_;
    }
    return word;
  }
  // Reads a decimal number word; false (and a reported error) when it is not one.
  bool read_number(const std::string& option, int& value, std::string_view stops = {}) {
    std::string word = read_word(stops);
    if (!parse_int(word, value)) {
      command_line_error(option + " " + word +
                         (foundation::german() ? " (Zahl erwartet)" : " (number expected)"));
      return false;
    }
    return true;
  }
  static bool parse_int(const std::string& word, int& value) {
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int>(v);
    return true;
  }
  // Stores `value` into a bounded field; a value that does not fit is refused.
  template <typename Field>
  bool store(const std::string& option, Field& field, const std::string& value) {
    if (field.assign(value)) return true;
    command_line_error(option + " " + value.substr(0, 40) + "... " +
                       format_text(foundation::german() ? "(länger als %zu Zeichen)"
                                                        : "(longer than %zu characters)",
                                   Field::capacity));
    return false;
  }

  // --- stages ---
  void decode_url_form();
  bool read_parameter_file();
  StartAction parse_options();
  StartAction parse_option();
  StartAction option_b();
  void option_h();
  StartAction option_j();
  StartAction option_m();
  StartAction option_o();
  StartAction option_p();
  void option_s();
  void option_u();
  StartAction option_x();
  StartAction finish();

  void add_environment(const std::string& name, const std::string& value);
  bool refused_in_url(const std::string& option) {
    if (!options_.from_url) return false;
    command_line_error(option + (foundation::german() ? " (in einem kovw:-Link nicht erlaubt)"
                                                      : " (not allowed in a kovw: link)"));
    return true;
  }

  std::string text_;
  std::size_t pos_ = 0;
  StartOptions& options_;
  const ParseContext& context_;
  std::vector<CommandLineMessage>* messages_;
  bool stop_ = false;  // -c, -i, -j and -q end the option parsing
  bool fi_given_ = false;
  bool pp_given_ = false;
  int pp_value_ = 0;
  bool cp_given_ = false;
  std::vector<std::string> cp_words_;
  bool s_given_ = false;
  std::string s_dir_;
};

// "kovw:" followed by the options, percent-encoded as a browser hands them over.
void Parser::decode_url_form() {
  std::size_t start = 0;
  while (start < text_.size() && is_blank(text_[start])) ++start;
  char quote = 0;
  if (start < text_.size() && (text_[start] == '"' || text_[start] == '\'')) {
    quote = text_[start];
    ++start;
  }
  // The scheme name is compared without regard to case, as URL schemes are.
  if (text_.size() - start < 5 || strncasecmp(text_.c_str() + start, "kovw:", 5) != 0) {
    return;  // not the URL form: the text stays as it is, quote included
  }
  std::string decoded;
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (std::size_t i = start + 5; i < text_.size(); ++i) {
    if (text_[i] == '%' && i + 2 < text_.size() && hex(text_[i + 1]) >= 0 &&
        hex(text_[i + 2]) >= 0) {
      char byte = static_cast<char>(hex(text_[i + 1]) * 16 + hex(text_[i + 2]));
      // A decoded zero byte would end the text early; it is dropped.
      if (byte != '\0') decoded += byte;
      i += 2;
    } else {
      decoded += text_[i];
    }
  }
  if (quote) {
    while (!decoded.empty() && static_cast<unsigned char>(decoded.back()) < '!') decoded.pop_back();
    if (!decoded.empty() && decoded.back() == quote) decoded.pop_back();
  }
  // Some launchers hand the URL over as "kovw://...": the slashes carry no option.
  std::size_t skip = 0;
  while (skip < decoded.size() && decoded[skip] == '/') ++skip;
  text_ = decoded.substr(skip);
  pos_ = 0;
  options_.from_url = true;
}

// A first word that is not an option and holds a path separator names a parameter file
// whose words come before the rest of the command line.
bool Parser::read_parameter_file() {
  skip_blanks();
  if (at_end() || peek() == '-') return true;
  std::size_t word_end = pos_;
  bool quoted = false;
  while (word_end < text_.size() && (quoted || !is_blank(text_[word_end]))) {
    if (text_[word_end] == '"') quoted = !quoted;
    ++word_end;
  }
  std::string_view first(text_.data() + pos_, word_end - pos_);
  if (first.find('\\') == std::string_view::npos && first.find('/') == std::string_view::npos)
    return true;
  if (refused_in_url(foundation::german() ? "Parameterdatei" : "parameter file")) return false;

  auto path = foundation::resolve_path(first, foundation::kPathFirstWord, 0);
  if (!path) {
    command_line_error(std::string(first));
    return false;
  }
  std::ifstream file(*path, std::ios::binary);
  if (!file) {
    int error = errno;
    report(10096, "Start KOVW",
           format_text("Error %d on open command file %s", error, path->c_str()));
    return true;  // the text stays unchanged
  }
  std::string content;
  content.resize(kParameterFileLimit + 1);
  file.read(content.data(), static_cast<std::streamsize>(content.size()));
  content.resize(static_cast<std::size_t>(file.gcount()));
  if (content.size() > kParameterFileLimit) {
    command_line_error(*path + (foundation::german() ? " (Datei zu groß)" : " (file too large)"));
    return false;
  }
  foundation::log_printf("Parameterdatei %s", path->c_str());

  std::string joined;
  std::istringstream lines(content);
  std::string line;
  while (std::getline(lines, line)) {
    if (auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    std::string word;
    bool in_quotes = false;
    auto flush = [&] {
      if (word.empty()) return;
      if (!joined.empty()) joined += ' ';
      joined += word;
      word.clear();
    };
    for (char c : line) {
      if (c == '"') in_quotes = !in_quotes;
      if (!in_quotes && (c == ' ' || c == '\t' || c == '\r')) {
        flush();
      } else {
        word += c;
      }
    }
    flush();
  }
  std::string rest = text_.substr(word_end);
  text_ = joined + rest;
  pos_ = 0;
  return true;
}

void Parser::add_environment(const std::string& name, const std::string& value) {
  auto& values = options_.overrides.values;
  auto& entry = values.environment[static_cast<std::size_t>(values.environment_used)];
  if (!store("-u", entry.name, name) || !store("-u", entry.value, value)) {
    entry.name.clear();
    entry.value.clear();
    return;
  }
  ++values.environment_used;
}

StartAction Parser::option_b() {
  auto& values = options_.overrides.values;
  std::string word = read_word();
  std::string user = word, domain, password;
  bool has_domain = false, has_password = false;
  if (auto slash = word.find('/'); slash != std::string::npos) {
    user = word.substr(0, slash);
    has_domain = true;
    std::string rest = word.substr(slash + 1);
    if (auto second = rest.find('/'); second != std::string::npos) {
      domain = rest.substr(0, second);
      password = rest.substr(second + 1);
      has_password = true;
    } else {
      domain = rest;
    }
  }
  if (!store("-b", values.user, user)) return StartAction::Error;
  options_.overrides.mask |= kOverrideUser;
  if (has_domain) {
    if (!store("-b", values.domain, domain)) return StartAction::Error;
    options_.overrides.mask |= kOverrideDomain;
  }
  if (has_password) {
    if (password == "*") {
      options_.overrides.mask |= kOverrideAskPassword;
    } else {
      if (!encipher_password(password, values.password)) {
        command_line_error(format_text(foundation::german()
                                           ? "-b (Passwort länger als %zu Zeichen)"
                                           : "-b (password longer than %zu characters)",
                                       kPasswordMax));
        return StartAction::Error;
      }
      options_.overrides.mask |= kOverridePassword;
    }
  }
  return StartAction::Run;
}

// -h[m][:n:n...] n1[/n2]: browser mode.
void Parser::option_h() {
  int mode = 0x100;
  switch (peek()) {
    case '?':
      mode = 0xF00;
      ++pos_;
      break;
    case 'c':
      mode = 0x500;
      ++pos_;
      break;
    case 'f':
      mode = 0x100;
      ++pos_;
      break;
    case 'i':
      mode = 0x200;
      ++pos_;
      break;
    case 'o':
      mode = 0x300;
      ++pos_;
      break;
    case 'p':
      mode = 0x1000;
      ++pos_;
      break;
    case 's':
      mode = 0x400;
      ++pos_;
      break;
    default:
      break;  // no letter: not consumed
  }
  options_.browser_mode = mode;
  std::uint32_t host_type = 0;
  while (peek() == ':') {
    ++pos_;
    int n = 0;
    while (!at_end() && peek() >= '0' && peek() <= '9') n = n * 10 + (text_[pos_++] - '0');
    host_type = (host_type << 8) | static_cast<std::uint32_t>(n & 0xFF);
  }
  options_.host_type = host_type;
  int number = 0;
  if (!read_number("-h", number, "/")) return;
  options_.browser_number = number;
  options_.browser_session = context_.today;
  if (peek() == '/') {
    ++pos_;
    int session = 0;
    if (!read_number("-h", session)) return;
    options_.browser_session = session;
  }
  options_.overrides.mask |= kOverrideBrowserNumber;
}

StartAction Parser::option_j() {
  if (refused_in_url("-j")) return StartAction::Error;
  if (peek() == 'f') {
    ++pos_;
    if (peek() == '+')
      options_.foreground_lock = 1;
    else if (peek() == '-')
      options_.foreground_lock = -1;
    else
      return fatal("-jf" + std::string(1, peek()));
    ++pos_;
  }
  skip_blanks();
  if (peek() == 'd') {
    ++pos_;
    std::string dir = read_word();
    if (!store("-jd", options_.install_path, dir)) return StartAction::Error;
    options_.install_path_given = true;
  }
  return StartAction::InstallHelper;
}

StartAction Parser::option_m() {
  skip_blanks();
  char modifier = peek();
  if (modifier != 'm' && modifier != 'r' && modifier != 'p') {
    command_line_error("-m" + std::string(1, modifier));
    options_.overrides.mask = 0;
    return StartAction::Run;
  }
  ++pos_;
  if (modifier == 'm') {
    read_number("-mm", options_.window_placement);
    return StartAction::Run;
  }
  if (modifier == 'p') {
    skip_blanks();
    if (peek() == '+' || (peek() >= '0' && peek() <= '9')) {
      options_.macro_wait_plus = peek() == '+';
      if (options_.macro_wait_plus) ++pos_;
      if (!read_number("-mp", options_.macro_wait)) return StartAction::Run;
      options_.macro_wait_given = true;
    }
  }
  options_.macro = modifier == 'r' ? MacroRequest::Record : MacroRequest::Play;
  options_.macro_name = read_word();
  return StartAction::Run;
}

StartAction Parser::option_o() {
  auto& values = options_.overrides.values;
  auto& mask = options_.overrides.mask;
  skip_blanks();
  char modifier = peek();
  if (!at_end()) ++pos_;
  int n = 0;
  switch (modifier) {
    case 'c':
      if (peek() == 'd') {
        ++pos_;
        options_.cache_clean_flags |= 4;
      } else if (peek() == 'h') {
        ++pos_;
        options_.cache_clean_flags |= 2;
      } else {
        options_.cache_clean_flags = 0xFFFF;
      }
      break;
    case 'd':
      values.double_click = 1;
      mask |= kOverrideDoubleClick;
      break;
    case 'e':
      options_.browser_no_number = true;
      break;
    case 'f':
      values.no_syscol_change = 1;
      mask |= kOverrideNoSyscolChange;
      break;
    case 'k':
      options_.open_ports = true;
      break;
    case 'l':
      if (read_number("-ol", n)) {
        values.slow_connect = n;
        mask |= kOverrideSlowConnect;
      }
      break;
    case 'p':
      values.no_password_change = 1;
      mask |= kOverrideNoPasswordChange;
      break;
    case 's':
      if (read_number("-os", n)) {
        values.language = n;
        mask |= kOverrideLanguage;
      }
      break;
    case 't':
      if (read_number("-ot", n)) options_.net_timeout_ms = n < 1000 ? n * 1000 : n;
      break;
    case 'u':
      options_.no_auto_update = true;
      break;
    case 'v':
      read_number("-ov", n);
      break;  // accepted, no further effect
    case 'w':
      read_number("-ow", options_.start_delay_seconds);
      break;
    case 'x': {
      skip_blanks();
      while (!at_end() && peek() >= '0' && peek() <= '9') ++pos_;  // accepted, no effect
      break;
    }
    case 'z':
      if (read_number("-oz", n)) {
        values.charset = n;
        mask |= kOverrideCharset;
      }
      break;
    default:
      command_line_error("-o" + std::string(modifier ? 1 : 0, modifier));
      mask = 0;
      break;
  }
  return StartAction::Run;
}

StartAction Parser::option_p() {
  auto& values = options_.overrides.values;
  auto& mask = options_.overrides.mask;
  skip_blanks();
  char modifier = peek();
  if (modifier == 'v') {
    ++pos_;
    if (read_number("-pv", values.kovw_videoport))
      options_.overrides.font_mask |= kFontOverrideVideoPort;
    return StartAction::Run;
  }
  if (modifier == 'g' || modifier == 'p') {
    ++pos_;
    char sign = peek();
    if (sign != '+' && sign != '-') {
      command_line_error(std::string("-p") + modifier + std::string(sign ? 1 : 0, sign));
      mask = 0;
      return StartAction::Run;
    }
    ++pos_;
    if (modifier == 'g') {
      options_.print_plain_drawing = sign == '-';
      values.poster_print = pp_given_ ? pp_value_ : 0;
    } else {
      pp_given_ = true;
      pp_value_ = sign == '+' ? 1 : 0;
      values.poster_print = pp_value_;
    }
    mask |= kOverridePosterPrint;
    return StartAction::Run;
  }
  int port = 0;
  if (!read_number("-p", port, "+")) return StartAction::Run;
  if (port != 0) {
    values.kovw_printer_port = port;
    values.disable_print_service = 0;
    values.auto_print_port = peek() == '+' ? 1 : 0;
  } else {
    values.disable_print_service = 1;
  }
  if (peek() == '+') ++pos_;
  mask |= kOverridePrinterPort;
  return StartAction::Run;
}

// -s dir: the six entries of the standard environment, all or none.
void Parser::option_s() {
  std::string dir = read_word();
  auto& values = options_.overrides.values;
  if (kEnvironmentEntries - values.environment_used < 6) {
    report(10050, "Start", message_text(10050));
    return;
  }
  const std::pair<const char*, std::string> entries[] = {
      {"HV", dir},         {"HV_STANDARD", dir},  {"TEXTDAT", dir + "/TEXTDAT"},
      {"HW", dir + "/hw"}, {"PRT", dir + "/PRT"}, {"BIN", dir + "/bin"},
  };
  for (const auto& [name, value] : entries) {
    if (value.size() > foundation::FixedString<232>::capacity) {
      store("-s", values.environment[0].value, value);  // reports the refusal
      return;
    }
  }
  for (const auto& [name, value] : entries) add_environment(name, value);
  s_given_ = true;
  s_dir_ = dir;
  options_.standard_environment = dir;
  options_.overrides.mask |= kOverrideEnvironment;
}

// -u NAME=value: one environment entry.
void Parser::option_u() {
  skip_blanks();
  std::string name;
  while (!at_end() && peek() != '=' && !is_blank(peek())) name += text_[pos_++];
  if (peek() != '=') {
    command_line_error("-u " + name);
    return;
  }
  ++pos_;
  std::string value = read_word();
  auto& values = options_.overrides.values;
  if (values.environment_used >= kEnvironmentEntries) {
    report(10050, "Start", message_text(10050));
    return;
  }
  add_environment(name, value);
  options_.overrides.mask |= kOverrideEnvironment;
}

StartAction Parser::option_x() {
  if (refused_in_url("-x")) return StartAction::Error;
  auto& workflow = options_.workflow;
  char letter = peek();
  if (!at_end()) ++pos_;
  options_.overrides.mask |= kOverrideWorkflow;
  switch (letter) {
    case 'b': {
      std::string user = read_word();
      std::string password = read_word();
      std::string domain = read_word();
      if (user.size() >= workflow.user.size() || password.size() >= workflow.password.size()) {
        return fatal("-xb" + std::string(foundation::german() ? " (zu lang)" : " (too long)"));
      }
      workflow.user.fill(0);
      std::memcpy(workflow.user.data(), user.data(), user.size());
      encipher_block(workflow.user.data(), workflow.user.size());
      workflow.password.fill(0);
      std::memcpy(workflow.password.data(), password.data(), password.size());
      encipher_block(workflow.password.data(), workflow.password.size());
      if (!store("-xb", workflow.domain, domain)) return StartAction::Error;
      workflow.user_given = true;
      break;
    }
    case 'd':
    case 'p':
      workflow.protocol_truncate = letter == 'd';
      workflow.protocol_given = true;
      workflow.protocol_file = read_word();
      break;
    case 'e':
      if (!store("-xe", workflow.command, read_word())) return StartAction::Error;
      workflow.command_given = true;
      break;
    case 'r':
      if (!store("-xr", workflow.host, read_word())) return StartAction::Error;
      workflow.host_given = true;
      break;
    case 't':
      read_number("-xt", workflow.timeout_seconds);
      break;
    case 'v':
      if (read_number("-xv", workflow.kovd_port)) workflow.port_given = true;
      break;
    default:
      return fatal("-x" + std::string(letter ? 1 : 0, letter));
  }
  return StartAction::Run;
}

StartAction Parser::parse_option() {
  auto& values = options_.overrides.values;
  auto& mask = options_.overrides.mask;
  ++pos_;  // the "-"
  char letter = peek();
  if (!at_end()) ++pos_;
  int n = 0;
  switch (letter) {
    case '-': {
      // Long options: --record DIR.
      std::string name = "--";
      while (!at_end() && !is_blank(peek())) name += text_[pos_++];
      if (name != "--record") return fatal(name);
      if (refused_in_url(name)) return StartAction::Error;
      options_.record_directory = read_word();
      if (options_.record_directory.empty()) return fatal(name);
      break;
    }
    case 'a':
      if (read_number("-a", n)) {
        values.ping_timer = n;
        mask |= kOverridePingTimer;
      }
      break;
    case 'b':
      return option_b();
    case 'c':
      if (peek() == 'p') {  // -cp n w1 ... wn (the modifier follows the letter directly)
        ++pos_;
        if (!read_number("-cp", n)) break;
        for (int i = 0; i < n && !at_end(); ++i) cp_words_.push_back(read_word());
        cp_given_ = true;
        break;
      }
      if (!store("-c", values.start_program, read_word())) return StartAction::Error;
      skip_blanks();
      if (!store("-c", values.command_line, text_.substr(pos_))) return StartAction::Error;
      pos_ = text_.size();
      mask |= kOverrideStartProgram;
      stop_ = true;
      break;
    case 'd':
      if (!store("-d", values.working_directory, read_word())) return StartAction::Error;
      mask |= kOverrideWorkingDirectory;
      break;
    case 'e':
      values.auto_end = 1;
      mask |= kOverrideAutoEnd;
      break;
    case 'f':
      // The modifiers of -f follow the letter directly: a font name may begin with them.
      if (peek() == 'f') {
        ++pos_;
        if (!read_number("-ff", n)) break;
        if (n < 0 || n > 255) {
          command_line_error("-ff " + std::to_string(n));
          break;
        }
        values.font_factor = static_cast<std::uint8_t>(n);
        options_.overrides.font_mask |= kFontOverrideFactor;
        if (!fi_given_) {
          values.icon_size = static_cast<std::uint8_t>(n * 16 / 100);
          options_.overrides.font_mask |= kFontOverrideIconSize;
        }
      } else if (peek() == 'i') {
        ++pos_;
        if (!read_number("-fi", n)) break;
        if (n < 0 || n > 255) {
          command_line_error("-fi " + std::to_string(n));
          break;
        }
        values.icon_size = static_cast<std::uint8_t>(n);
        fi_given_ = true;
        options_.overrides.font_mask |= kFontOverrideIconSize;
      } else if (peek() == 'p') {
        ++pos_;
        if (!store("-fp", values.prop_font, read_word())) return StartAction::Error;
        if (read_number("-fp", n)) {
          values.prop_size = n * 10;
          mask |= kOverridePropFont;
        }
      } else {
        if (!store("-f", values.font_name, read_word())) return StartAction::Error;
        if (read_number("-f", n)) {
          values.font_size = n * 10;
          mask |= kOverrideFont;
        }
      }
      break;
    case 'g': {
      skip_blanks();
      int on = 1;
      if (peek() == '+') {
        ++pos_;
      } else if (peek() == '-') {
        ++pos_;
        on = 0;
      }
      values.secure_connection = on;
      values.crypted_connection = on;
      mask |= kOverrideSecureConnection | kOverrideCryptedConnection;
      break;
    }
    case 'h':
      option_h();
      break;
    case 'i':
      if (refused_in_url("-i")) return StartAction::Error;
      stop_ = true;
      options_.action = StartAction::SelfUpdate;
      break;
    case 'j': {
      StartAction action = option_j();
      if (action == StartAction::Error) return action;
      options_.action = action;
      stop_ = true;  // the program ends after the helper
      break;
    }
    case 'k':
      if (!store("-k", values.button_font, read_word())) return StartAction::Error;
      if (read_number("-k", n)) {
        values.button_size = n * 10;
        mask |= kOverrideButtonFont;
      }
      break;
    case 'l':
      if (peek() == 'b') {
        ++pos_;
        options_.overrides.font_mask |= kFontOverrideLeastLoaded;
      } else if (peek() == 'x') {
        ++pos_;
        options_.browser_always_login = true;
      } else {
        values.auto_login = 1;
        mask |= kOverrideAutoLogin;
      }
      break;
    case 'm':
      return option_m();
    case 'n':
      skip_blanks();
      if (peek() == '+') {
        ++pos_;
        options_.start_sound_always = true;
      } else {
        command_line_error("-n");
        mask = 0;
      }
      break;
    case 'o':
      return option_o();
    case 'p':
      return option_p();
    case 'q':
      if (refused_in_url("-q")) return StartAction::Error;
      options_.action = StartAction::Uninstall;
      stop_ = true;
      break;
    case 'r':
      if (!store("-r", values.host, read_word())) return StartAction::Error;
      mask |= kOverrideHost;
      break;
    case 's':
      option_s();
      break;
    case 't':
      skip_blanks();
      if (!at_end() && peek() >= '0' && peek() <= '9') {
        read_number("-t", n);
      } else {
        n = 1;
      }
      if (n & 1) n |= 0x80;
      options_.verbosity = n;
      options_.verbosity_given = true;
      break;
    case 'u':
      option_u();
      break;
    case 'v':
      if (read_number("-v", n)) {
        values.kovd_port = n;
        mask |= kOverrideKovdPort;
      }
      break;
    case 'w':
      if (read_number("-w", n)) {
        values.kovw_port = n;
        values.automatic_kovw_port = n < 1 ? 1 : 0;
        mask |= kOverrideKovwPort;
      }
      break;
    case 'x':
      return option_x();
    case 'y':
      values.virtual_keyboard = 1;
      mask |= kOverrideVirtualKeyboard;
      break;
    case 'z':
      if (!store("-z", values.install_path, read_word())) return StartAction::Error;
      mask |= kOverrideInstallPath;
      break;
    default: {
      // An unknown option clears the overrides given so far; parsing goes on.
      std::string word = "-" + std::string(letter ? 1 : 0, letter);
      while (!at_end() && !is_blank(peek())) word += text_[pos_++];
      command_line_error(word);
      mask = 0;
      break;
    }
  }
  return StartAction::Run;
}

StartAction Parser::parse_options() {
  while (true) {
    skip_blanks();
    if (at_end() || stop_) break;
    if (peek() != '-') {
      // A word that is not an option ends the program.
      return fatal(text_.substr(pos_), "Start KOVW");
    }
    StartAction action = parse_option();
    if (action == StartAction::Error) {
      options_.overrides.mask = 0;
      return action;
    }
  }
  return finish();
}

StartAction Parser::finish() {
  auto& values = options_.overrides.values;
  auto& mask = options_.overrides.mask;
  if (cp_given_ && (mask & kOverrideStartProgram)) {
    std::string line = values.command_line.str();
    for (const auto& word : cp_words_) {
      if (!line.empty()) line += ' ';
      line += word;
    }
    if (!store("-cp", values.command_line, line)) return StartAction::Error;
  }
  if (options_.overrides.font_mask & kFontOverrideLeastLoaded) {
    mask &= ~static_cast<std::uint32_t>(kOverrideHost);
    values.host.clear();
  }
  if (options_.browser_mode) {
    if (options_.browser_no_number) {
      options_.browser_mode |= 2;
      mask &= ~static_cast<std::uint32_t>(kOverrideBrowserNumber);
    } else {
      options_.browser_mode |= 1;
    }
    std::string name;
    if (s_given_) {
      for (char c : s_dir_) name += (c == '/' || c == ':' || c == '\\') ? '%' : c;
      name += '-';
    }
    name += std::to_string((mask & kOverrideKovdPort) ? values.kovd_port : 4724);
    options_.instance_name = name;
  }
  if (mask & kOverrideWorkflow) {
    auto& workflow = options_.workflow;
    std::string logical = workflow.protocol_given ? workflow.protocol_file : "TEMP/kovw.log";
    auto path = foundation::resolve_path(logical);
    std::FILE* file =
        path ? std::fopen(path->c_str(), workflow.protocol_truncate ? "w" : "a") : nullptr;
    if (file) {
      std::fclose(file);
      workflow.protocol_file = *path;
    } else {
      report(10069, "Workflow KOVW", format_message_s(10069, path ? *path : logical));
      workflow.protocol_file.clear();
    }
  }
  return options_.action;
}

StartAction Parser::run() {
  options_ = StartOptions{};
  options_.action = StartAction::Run;
  decode_url_form();
  if (!read_parameter_file()) {
    options_.overrides.mask = 0;
    return StartAction::Error;
  }
  return parse_options();
}

}  // namespace

StartAction parse_command_line(std::string_view text, StartOptions& options,
                               const ParseContext& context,
                               std::vector<CommandLineMessage>* messages) {
  Parser parser(text, options, context, messages);
  StartAction action = parser.run();
  options.action = action;
  return action;
}

std::string join_arguments(const std::vector<std::string>& arguments) {
  std::string text;
  for (const auto& argument : arguments) {
    if (!text.empty()) text += ' ';
    bool needs_quotes = argument.empty() || argument.find_first_of(" \t\"") != std::string::npos;
    if (!needs_quotes) {
      text += argument;
      continue;
    }
    text += '"';
    for (std::size_t i = 0; i < argument.size(); ++i) {
      char c = argument[i];
      if (c == '"') {
        text += "\\\"";
      } else if (c == '\\' &&
                 (i + 1 == argument.size() || argument[i + 1] == '"' || argument[i + 1] == '\\')) {
        text += "\\\\";  // would otherwise escape the next quote or backslash
      } else {
        text += c;
      }
    }
    text += '"';
  }
  return text;
}

}  // namespace kovw::shell
