// The message box routine: builds the text, decides between log, workflow protocol, the
// session's own forms and the presenter's box, and returns the answer.
#include "foundation/show_message.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "foundation/error_text.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/workflow_state.h"

namespace kovw::foundation {
namespace {

std::atomic<MessagePresenter*> g_presenter{nullptr};
thread_local SessionMessageHandler* t_handler = nullptr;

// Cuts a UTF-8 sequence that the size limit split, so that a valid UTF-8 text stays valid.
void trim_split_sequence(std::string& text) {
  std::size_t pos = text.size();
  std::size_t continuation = 0;
  while (pos > 0 && continuation < 3 &&
         (static_cast<unsigned char>(text[pos - 1]) & 0xC0) == 0x80) {
    --pos;
    ++continuation;
  }
  if (pos == 0) return;
  const auto lead = static_cast<unsigned char>(text[pos - 1]);
  std::size_t length = 0;
  if ((lead & 0xE0) == 0xC0)
    length = 2;
  else if ((lead & 0xF0) == 0xE0)
    length = 3;
  else if ((lead & 0xF8) == 0xF0)
    length = 4;
  if (length != 0 && continuation + 1 < length) text.resize(pos - 1);
}

// Formats into at most kMessageTextMax bytes including the terminating zero.
std::string format_text(const char* format, va_list args) {
  if (!format) return {};
  char buffer[kMessageTextMax];
  const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (written < 0) return {};
  std::string text(buffer,
                   std::min<std::size_t>(static_cast<std::size_t>(written), sizeof buffer - 1));
  if (static_cast<std::size_t>(written) >= sizeof buffer) trim_split_sequence(text);
  return text;
}

void log_text(const std::string& text) {
  log_printf("%s", text.c_str());
}

}  // namespace

std::string message_with_system_error(std::string text, int system_error, bool log_only) {
  if (system_error <= 0) return text;
  std::string error = error_text(system_error, german());
  if (error.empty()) error = message_text(40429);
  text += log_only ? ' ' : '\n';
  text += std::to_string(system_error);
  text += ' ';
  text += error;
  return text;
}

bool unattended() {
  const char* value = std::getenv(kUnattendedVariable);
  return value && std::strcmp(value, "1") == 0;
}

void set_message_presenter(MessagePresenter* presenter) {
  g_presenter.store(presenter);
}
MessagePresenter* message_presenter() {
  return g_presenter.load();
}

void set_thread_message_handler(SessionMessageHandler* handler) {
  t_handler = handler;
}
SessionMessageHandler* thread_message_handler() {
  return t_handler;
}

int show_message_v(void* owner, int flags, int system_error, const char* caption,
                   const char* format, va_list args) {
  const int default_answer = message_default_answer(flags);
  SessionMessageHandler* const session = t_handler;

  std::string text = message_text_to_utf8(format_text(format, args), (flags & kMsgUtf8) != 0);
  const bool log_only = (flags & kMsgLogOnly) != 0 || (session && session->boxes_suppressed());
  // Unattended runs show no box; they keep writing the workflow protocol (whose result is the
  // exit code), so they separate the error like log-only mode only where no workflow runs.
  const bool in_workflow = !log_only && workflow_mode();
  const bool quiet = log_only || (!in_workflow && unattended());
  text = message_with_system_error(std::move(text), system_error, quiet);

  if (quiet) {
    log_text(text);
    return default_answer;
  }

  if (in_workflow) {
    if (!append_workflow_protocol(text)) log_text(text);
    if (system_error > 0) set_workflow_result_if_unset(200000 + system_error);
    return default_answer;
  }

  MessageBoxRequest request;
  request.owner = owner;
  request.flags = flags & ~kMsgLogOnly;
  request.caption = message_text_to_utf8(caption ? caption : "", (flags & kMsgUtf8) != 0);
  request.text = message_box_text(text);
  request.icon = message_icon(flags);
  request.buttons = message_buttons(flags);

  const int form = flags & kMsgFormMask;
  const bool nonblocking = form == kMsgFormOpenWindow || form == kMsgFormCloseWindows ||
                           form == kMsgFormSplash || form == kMsgFormReplaceText;
  if (session) {
    session->set_current_message_flags(request.flags);
    if (nonblocking) {
      session->show_message_form(form, request);
      return default_answer;
    }
    if (session->macro_playback()) {
      session->show_playback_message(request);
      return default_answer;
    }
    if (!(flags & kMsgNoColourModel)) {
      if (const auto answer = session->show_colour_model_box(request)) return *answer;
    }
  } else if (nonblocking) {
    // The modeless and splash windows belong to a program session; without one the caller
    // still must not wait, so the text only goes to the log.
    if (form != kMsgFormCloseWindows) log_text(text);
    return default_answer;
  }

  MessagePresenter* const presenter = g_presenter.load();
  if (!presenter) {
    log_text(text);
    return default_answer;
  }
  return presenter->present(request);
}

int show_message(void* owner, int flags, int system_error, const char* caption, const char* format,
                 ...) {
  va_list args;
  va_start(args, format);
  const int answer = show_message_v(owner, flags, system_error, caption, format, args);
  va_end(args);
  return answer;
}

int show_message_number(void* owner, int flags, int system_error, const char* caption, int number,
                        ...) {
  const char* format = message_text(number);
  const std::string fallback = std::to_string(number);
  if (!*format) format = fallback.c_str();
  va_list args;
  va_start(args, number);
  const int answer = show_message_v(owner, flags, system_error, caption, format, args);
  va_end(args);
  return answer;
}

}  // namespace kovw::foundation
