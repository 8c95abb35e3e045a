#include "session/program/window_title.h"

#include <pthread.h>

#include <QString>

#include "foundation/host_text.h"
#include "foundation/message_table.h"
#include "protocol/program/program_window.h"
#include "session/program/handler_context.h"
#include "session/program/session_host.h"

#include "net/link_names.h"
#include "session/program/command_table.h"

namespace kovw::session {

namespace {

constexpr int kMessagePicturesOff = 40504;
constexpr int kMessageLargePicturesOff = 40505;
constexpr std::size_t kThreadNameMax = 15;  // bytes the system keeps of a thread's name

// At most `limit` bytes of UTF-8 text, never ending inside a character.
std::string utf8_prefix(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

// Debuggers and the system's thread lists show the program by its caption.
void name_thread(HandlerContext& context) {
  const std::string name = utf8_prefix(context.caption, kThreadNameMax);
  context.short_name = name;
  if (!name.empty()) pthread_setname_np(pthread_self(), name.c_str());
}

}  // namespace

std::string shown_title(const std::string& caption, const std::string* connection,
                        int slow_connect_level) {
  std::string title = caption;
  if (connection != nullptr) title += " (" + *connection + ")";
  if (slow_connect_level != 0) {
    const int number = slow_connect_level == 1 ? kMessagePicturesOff : kMessageLargePicturesOff;
    title += " [";
    title += foundation::message_text(number);
    title += "]";
  }
  return title;
}

// The caption text of a KWK_WTIT or KWK_WTOOL payload, as UTF-8.
std::string caption_text(const HandlerContext& context, std::span<const std::uint8_t> payload) {
  const std::string host_text = protocol::parse_raw_text(payload);
  char16_t wide[kCaptionMax + 1];  // a character that does not fit is left out whole
  const std::size_t length = foundation::host_to_wide(host_text, wide, context.text_flags);
  return QString::fromStdU16String(std::u16string(wide, length)).toStdString();
}

void handle_tool_caption(HandlerContext& context, std::span<const std::uint8_t> payload) {
  context.view.post(to_view::ToolCaption{QString::fromStdString(
      shown_title(caption_text(context, payload), nullptr, context.host.slow_connect_level))});
}

void handle_title(HandlerContext& context, std::span<const std::uint8_t> payload) {
  context.caption = caption_text(context, payload);
  name_thread(context);

  context.view.post(to_view::Title{QString::fromStdString(
      shown_title(context.caption, &context.connection, context.host.slow_connect_level))});
}

void register_title_commands(CommandTable& table) {
  table.add(net::KWD_WIN, net::KWK_WTIT, [](HandlerContext& context, const Command& command) {
    handle_title(context, command.payload);
  });
  table.add(net::KWD_WIN, net::KWK_WTOOL, [](HandlerContext& context, const Command& command) {
    handle_tool_caption(context, command.payload);
  });
}

}  // namespace kovw::session
