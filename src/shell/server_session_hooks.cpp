#include "shell/server_session_hooks.h"

#include "protocol/server_messages.h"

namespace kovw::shell {
namespace {

ServerSessionHooks& hooks() {
  static ServerSessionHooks installed;
  return installed;
}

}  // namespace

void set_server_session_hooks(ServerSessionHooks installed) {
  hooks() = std::move(installed);
}

const ServerSessionHooks& server_session_hooks() {
  return hooks();
}

int keep_alive_seconds(int a_value, int ping_timer, std::uint32_t options_word) {
  const bool internet = a_value != 0 || (options_word & protocol::kOptionInternetMode) != 0;
  if (!internet) return 0;
  return a_value != 0 ? a_value : ping_timer;
}

}  // namespace kovw::shell
