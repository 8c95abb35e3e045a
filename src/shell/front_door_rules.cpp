#include "shell/front_door_rules.h"

#include <cstdio>

#include "foundation/message_table.h"

namespace kovw::shell {

FirstLogin decide_first_login(const FirstLoginFacts& f) {
  if (f.connected) return FirstLogin::AlreadyConnected;
  if (f.ask_each_time) return FirstLogin::AskEachTime;
  if (f.auto_login && f.password_present) return FirstLogin::AutoLogin;
  if (!f.browser_mode || f.always_dialog) return FirstLogin::ShowDialog;
  return f.browser_data_complete ? FirstLogin::BrowserLogin : FirstLogin::ShowDialog;
}

std::optional<CloseQuestion> close_question(bool connected, int programs,
                                            const std::string& display_text) {
  if (!connected) return std::nullopt;
  char text[512];
  CloseQuestion q;
  if (programs <= 0) {
    q.number = 10002;
    std::snprintf(text, sizeof text, foundation::message_text(q.number), display_text.c_str());
  } else {
    q.number = 10017;
    std::snprintf(text, sizeof text, foundation::message_text(q.number), programs);
  }
  q.text = text;
  return q;
}

std::u16string tray_tip_text(const std::u16string& display_text,
                             const std::u16string& program_title) {
  std::u16string tip = u"KOVW " + display_text + u":" + program_title;
  if (tip.size() > kTrayTipMax) tip.resize(kTrayTipMax);
  return tip;
}

std::string status_line_text(bool connected, std::time_t login_time, std::time_t now,
                             const std::string& state_text) {
  char text[64];
  if (connected) {
    const long long seconds = now > login_time ? static_cast<long long>(now - login_time) : 0;
    std::snprintf(text, sizeof text, "%d:%.2d:%.2d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  } else {
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
  }
  return std::string(text) + " " + state_text;
}

std::vector<std::string> host_list_lines(const HostList& hosts, bool search_disabled,
                                         bool load_balancing) {
  if (search_disabled) return {foundation::message_text(40288)};
  if (hosts.entries().empty()) return {foundation::message_text(10004)};
  std::vector<std::string> lines;
  for (const HostEntry& e : hosts.entries()) {
    std::string line = e.name + " ";
    if (load_balancing) line += "[" + std::to_string(e.load) + "] ";
    line += "(" + e.address + ")";
    lines.push_back(std::move(line));
  }
  return lines;
}

std::optional<std::string> host_of_line(const std::string& line) {
  if (line.empty() || line[0] == '[') return std::nullopt;
  const std::size_t end = line.find(' ');
  std::string host = line.substr(0, end);
  if (host.empty()) return std::nullopt;
  return host;
}

}  // namespace kovw::shell
