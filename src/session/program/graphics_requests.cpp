#include "session/program/graphics_requests.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "foundation/log.h"
#include "net/link_names.h"
#include "protocol/program/host_versions.h"
#include "protocol/program/window_service.h"
#include "session/program/command_table.h"
#include "session/program/cursor_kind_numbers.h"
#include "session/program/graphics_windows.h"
#include "session/program/program_dispatch.h"
#include "session/program/program_link.h"
#include "session/program/program_session.h"
#include "session/program/program_thread.h"

namespace kovw::session {

namespace {

// Answers of KWK_GABORT by the pending answer state.
constexpr int kAbortInputOwed = 17;
constexpr int kAbortFieldOwed = 25;

bool is_video(int type) {
  return type == net::KWK_GVIDEO;
}

// The helpers live in the workstation's data directory, where the log is.
std::string data_directory() {
  return std::filesystem::path(foundation::log_path()).parent_path().string();
}

void answer_abort(ProgramSession& session) {
  const int state = session.graphics_pending_answer;
  const int answer = state == 1 ? kAbortInputOwed : state == 2 ? kAbortFieldOwed : 0;
  dt_send_retc(1, session, net::KWD_DIGRA, net::KWK_GABORT, answer);
  // An input field waiting for the user goes without a reply.
  if (state == 2 && session.graphics) session.graphics->drop_field();
  session.graphics_pending_answer = 0;
  session.suppress_digra_reply = true;
}

void answer_helper_call(ProgramSession& session, const Command& command) {
  // The request's contents do not matter when the helper cannot run; an unreadable one is
  // logged and answered all the same, since the host waits.
  if (is_video(command.type)) {
    if (const auto request = protocol::parse_gvideo(command.payload); !request)
      log_parse_failure(request.error());
  } else if (const auto request = protocol::parse_gspeech(command.payload); !request) {
    log_parse_failure(request.error());
  }
  const std::vector<std::uint8_t> record = helper_start_failure(command.type);
  const std::size_t text_at = is_video(command.type) ? 1 : 2;
  foundation::log_printf(
      is_video(command.type) ? "CallVideo Return %d %s" : "CallSpeak Return %d %s", record[0],
      reinterpret_cast<const char*>(record.data() + text_at));
  const protocol::Outgoing answer = protocol::build_helper_answer(command.type, record);
  dt_send(session, answer.service, answer.type, answer.payload);
}

}  // namespace

std::vector<std::uint8_t> helper_answer_record(int type, int status, const std::string& text) {
  const bool video = is_video(type);
  std::vector<std::uint8_t> record(video ? protocol::kVideoAnswerSize : protocol::kSpeechAnswerSize,
                                   0);
  const std::size_t text_at = video ? 1 : 2;
  record[0] = static_cast<std::uint8_t>(status);
  const std::size_t room = record.size() - text_at - 1;  // the last byte stays the terminator
  const std::size_t length = std::min(text.size(), room);
  std::copy_n(text.begin(), length, record.begin() + static_cast<std::ptrdiff_t>(text_at));
  return record;
}

std::vector<std::uint8_t> helper_start_failure(int type) {
  const bool video = is_video(type);
  const std::string directory = data_directory();
  const std::string helper =
      (std::filesystem::path(directory) / (video ? "hvshowvideo" : "hvspeak")).string();
  char text[1024];
  std::snprintf(text, sizeof text, "%s: Error %d starting %s %s", video ? "VIDEO" : "SPEAK", ENOENT,
                helper.c_str(), directory.c_str());
  return helper_answer_record(type, 2, text);
}

int set_graphics_cursor(ProgramSession& session, int value) {
  const int previous = session.graphics_cursor_state;
  switch (value) {
    case 0:
      set_cursor_kind(session, kCursorArrow);
      session.graphics_cursor_state = 2;
      break;
    case 1:
      set_cursor_kind(session, kCursorWait);
      session.graphics_cursor_state = 1;
      break;
    case 2:
      session.graphics_cursor_state = 2;
      break;
    default:
      break;
  }
  return previous;
}

void register_graphics_request_commands(CommandTable& table) {
  table.add(net::KWD_DIGRA, net::KWK_GABORT,
            [](ProgramSession& session, const Command&) { answer_abort(session); });
  table.add(net::KWD_DIGRA, net::KWK_CURSOR, [](ProgramSession& session, const Command& command) {
    const auto value = protocol::parse_single_int(command.payload);
    if (!value) log_parse_failure(value.error());
    // An unreadable value changes nothing; the host still gets the state it waits for.
    const int previous =
        value ? set_graphics_cursor(session, *value) : session.graphics_cursor_state;
    dt_send_retc(1, session, net::KWD_DIGRA, net::KWK_CURSOR, previous);
  });
  for (const int type : {net::KWK_GVIDEO, net::KWK_GSPEECH}) {
    table.add(net::KWD_DIGRA, type, [](ProgramSession& session, const Command& command) {
      answer_helper_call(session, command);
    });
  }
}

}  // namespace kovw::session
