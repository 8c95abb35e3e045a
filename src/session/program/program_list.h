#pragma once
// The program list: every running ProgramSession, newest first, with its count, under the
// process-wide lock "HV-default". Other threads (the shell, other programs) use it only
// through these functions, which copy what they need out of the list and post events; no
// function here sends on a link or touches a window while it holds the lock.

#include <QEvent>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "session/event_channel.h"

namespace kovw::session {

struct ProgramSession;

// What another thread may know about a program.
struct ProgramInfo {
  int thread_id = 0;
  int host_pid = 0;
  std::string program_name;
  std::string title;
  std::time_t start_time = 0;
  std::int64_t main_window = 0;
  std::int64_t content_window = 0;
  bool first_program = false;  // the first-program flag (KWK_WKILLSAVE)
  ChannelPtr to_program;
};

// Links `session` in front of the list; marks it the first program when the list was empty.
// Returns the new count.
int program_list_insert(ProgramSession& session);
// Unlinks `session`; returns the number of programs that remain.
int program_list_remove(ProgramSession& session);
int program_count();

// Copies of all entries, newest first.
std::vector<ProgramInfo> program_list_snapshot();
// The entry with this thread id, when it exists.
bool find_program(int thread_id, ProgramInfo* out);
// The program one of whose windows has this handle.
bool find_program_by_window(std::int64_t window, ProgramInfo* out);

// Updates the shared members after KINIT (pid, name, window handles) under the lock.
void program_list_update(ProgramSession& session, int host_pid, const std::string& program_name,
                         std::int64_t main_window, std::int64_t content_window);

// Shell requests. Each returns the number of programs the event was posted to.
// WML_STOP to every program whose host pid is `run_id`, or to all when `run_id` is 0.
int post_stop_programs(int run_id);

// Tells every program that the desktop's colours changed; returns the number told.
int post_palette_changed();
// WML_SHOW_MESSAGE (an urgent message of the daemon) to the first program of the list.
int post_show_message(const std::string& caption, const std::string& text);
// WML_TEXT_OUTPUT (text output commands handed over by the shell) to the program `thread_id`.
int post_text_output(int thread_id, const std::vector<std::uint8_t>& commands);

}  // namespace kovw::session
