#include "session/program/program_list.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "foundation/named_lock.h"
#include "session/program/program_session.h"
#include "session/program/start_record.h"
#include "session/window_messages.h"

namespace kovw::session {

namespace {

// Guarded by "HV-default". Newest first.
std::vector<ProgramSession*> g_programs;

ProgramInfo info_of(const ProgramSession& session) {
  ProgramInfo info;
  info.thread_id = session.thread_id;
  info.host_pid = session.host_pid;
  info.program_name = session.program_name;
  info.title = session.title;
  info.start_time = session.start_time;
  info.main_window = session.main_window;
  info.content_window = session.content_window;
  info.first_program = (session.status & kStatusFirstProgram) != 0;
  info.to_program = session.to_program;
  return info;
}

// Channels selected under the lock; the events are posted after it is released.
std::vector<ChannelPtr> select_channels(const std::function<bool(const ProgramSession&)>& pick) {
  std::vector<ChannelPtr> channels;
  foundation::DefaultLockGuard lock;
  for (const ProgramSession* session : g_programs) {
    if (pick(*session)) channels.push_back(session->to_program);
  }
  return channels;
}

}  // namespace

int StartRecord::host_pid() const {
  if (host_pid_text.empty() || !std::isdigit(static_cast<unsigned char>(host_pid_text[0])))
    return 0;
  return static_cast<int>(std::strtol(host_pid_text.c_str(), nullptr, 10));
}

int program_list_insert(ProgramSession& session) {
  foundation::DefaultLockGuard lock;
  if (g_programs.empty()) session.status |= kStatusFirstProgram;
  g_programs.insert(g_programs.begin(), &session);
  return static_cast<int>(g_programs.size());
}

int program_list_remove(ProgramSession& session) {
  foundation::DefaultLockGuard lock;
  std::erase(g_programs, &session);
  return static_cast<int>(g_programs.size());
}

int program_count() {
  foundation::DefaultLockGuard lock;
  return static_cast<int>(g_programs.size());
}

std::vector<ProgramInfo> program_list_snapshot() {
  std::vector<ProgramInfo> out;
  foundation::DefaultLockGuard lock;
  out.reserve(g_programs.size());
  for (const ProgramSession* session : g_programs) out.push_back(info_of(*session));
  return out;
}

bool find_program(int thread_id, ProgramInfo* out) {
  foundation::DefaultLockGuard lock;
  for (const ProgramSession* session : g_programs) {
    if (session->thread_id == thread_id) {
      if (out != nullptr) *out = info_of(*session);
      return true;
    }
  }
  return false;
}

bool find_program_by_window(std::int64_t window, ProgramInfo* out) {
  if (window == 0) return false;
  foundation::DefaultLockGuard lock;
  for (const ProgramSession* session : g_programs) {
    if (session->main_window == window || session->content_window == window) {
      if (out != nullptr) *out = info_of(*session);
      return true;
    }
  }
  return false;
}

void program_list_update(ProgramSession& session, int host_pid, const std::string& program_name,
                         std::int64_t main_window, std::int64_t content_window) {
  foundation::DefaultLockGuard lock;
  session.host_pid = host_pid;
  session.program_name = program_name;
  session.main_window = main_window;
  session.content_window = content_window;
}

int post_stop_programs(int run_id) {
  int posted = 0;
  for (const ChannelPtr& channel : select_channels([run_id](const ProgramSession& session) {
         return run_id == 0 || session.host_pid == run_id;
       })) {
    if (post_to_program(*channel, to_program::Stop{})) ++posted;
  }
  return posted;
}

int post_palette_changed() {
  int posted = 0;
  for (const ChannelPtr& channel : select_channels([](const ProgramSession&) { return true; }))
    if (post_to_program(*channel, to_program::PaletteChanged{})) ++posted;
  return posted;
}

int post_show_message(const std::string& caption, const std::string& text) {
  bool first = true;
  for (const ChannelPtr& channel : select_channels([&first](const ProgramSession&) {
         const bool pick = first;
         first = false;
         return pick;
       })) {
    return post_to_program(*channel, to_program::ShowMessage{QString::fromStdString(caption),
                                                             QString::fromStdString(text)})
               ? 1
               : 0;
  }
  return 0;
}

int post_text_output(int thread_id, const std::vector<std::uint8_t>& commands) {
  for (const ChannelPtr& channel : select_channels(
           [thread_id](const ProgramSession& session) { return session.thread_id == thread_id; })) {
    return post_to_program(*channel, to_program::TextOutput{commands}) ? 1 : 0;
  }
  return 0;
}

}  // namespace kovw::session
