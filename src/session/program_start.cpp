#include "session/program_start.h"

#include <atomic>
#include <cerrno>
#include <memory>
#include <utility>

#include "foundation/log.h"
#include "foundation/named_lock.h"
#include "foundation/show_message.h"
#include "foundation/verbose.h"
#include "net/tcp_socket.h"
#include "session/program/program_link.h"
#include "session/program/program_thread.h"
#include "session/program/screen_metrics.h"
#include "session/program/start_record.h"
#include "session/view/program_view.h"
#include "session/view/system_palette.h"
#include "session/window_messages.h"

namespace kovw::session {

namespace {
std::atomic<bool> g_fail_next_start{false};
}

namespace testing {
void fail_next_thread_start() {
  g_fail_next_start = true;
}
}  // namespace testing

int dt_open(int socket, const std::string& title, const std::string& host, int port,
            const std::string& host_pid_text, std::vector<std::uint8_t> extra) {
  // A peer that connects and stays silent holds a thread until it is timed out: only so many
  // links may wait for their introduction at once.
  if (!admit_awaiting_link(title)) {
    if (socket >= 0) net::sc_close(socket);
    return -1;
  }
  auto record = std::make_unique<StartRecord>();
  record->socket = socket;
  record->title = title.substr(0, 256);
  record->host = host.substr(0, 32);
  record->port = port;
  record->host_pid_text = host_pid_text;
  record->extra = std::move(extra);

  remember_screen_metrics();  // GUI-thread facts the program threads report
  remember_system_palette();
  if (foundation::verbose(foundation::kVerboseGeneral))
    foundation::log_printf("%s", "dt_open: Start Client Thread");

  auto* thread = new ProgramThread(std::move(record));
  // The view lives on the GUI thread; the program thread reaches it through its channel.
  new ProgramView(thread->to_program(), thread->to_view());
  QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
  foundation::hvt_init_threads(__FILE__, __LINE__);  // counted down at the end of run()

  bool started = false;
  if (!g_fail_next_start.exchange(false)) {
    thread->start();
    started = thread->isRunning() || thread->isFinished();
  }
  if (started) return 0;

  // The thread never ran: nothing else will free the record, the view or the link.
  const int error = errno != 0 ? errno : 11;
  withdraw_awaiting_link();
  foundation::hvt_end_threads(__FILE__, __LINE__);
  post_to_view(*thread->to_view(), to_view::Destroy{});
  const std::string caption = thread->record()->title;
  delete thread;  // closes the link the record still owns
  foundation::log_printf("dt_open: failed %d", error);
  foundation::show_message_number(nullptr, 0, error, caption.c_str(), 10040);
  return -1;
}

}  // namespace kovw::session
