#pragma once
// One thread per host program. dt_open (called by the shell on the GUI thread for every new
// program link) starts a ProgramThread; the thread owns the ProgramSession, the link and its
// receive state, runs its own event loop with the SuperWindow (the invisible receiver of the
// link's notifications and of every event posted to the program), and ends when the link
// closes or the program is closed. Its windows are a ProgramView on the GUI thread.
//
//   GUI thread                         program thread
//   ----------                         --------------
//   dt_open ------ start ------------> run(): session, list insert, KINFO, event loop
//   ProgramView <--- WML_VIEW_* ------ SuperWindow (dt_receive, dt_command, dt_send)
//   MainWindow ----- WML_CLOSE ------> SuperWindow: close rule, question box
//   shell ---------- WML_STOP -------> SuperWindow
//   shell <--------- WML_ENDE -------- end of run(): list remove, KEND

#include <QBasicTimer>
#include <QObject>
#include <QThread>
#include <memory>
#include <string>
#include <vector>

#include "session/program/program_session.h"
#include "session/program/start_record.h"
#include "session/program/thread_context.h"

namespace kovw::session {

// Starts a program session on `socket` (the session owns it from now on, also on failure).
// Called on the GUI thread. Returns 0, or -1 when the thread could not be started (message
// 10040 shown, the link closed).
int dt_open(int socket, const std::string& title, const std::string& host, int port,
            const std::string& host_pid_text, std::vector<std::uint8_t> extra);

// Program threads alive in the process (started and not yet destroyed).
int live_program_threads();

// The invisible receiver of a program thread.
class SuperWindow : public QObject {
 public:
  explicit SuperWindow(ProgramSession& session) : session_(session) {}

  // Registers the session's link for read notifications.
  void connect_link();
  // Starts the wait for the host program's introduction (introduction_timeout()).
  void await_introduction();
  // After each receive step: while a frame has begun, its rest must come within the link's net
  // time-out.
  void watch_frame(bool frame_started);
  // Unregisters and closes the link (the socket becomes -1).
  void close_link();
  // Unregisters the link without closing the socket (it is handed to another program).
  int release_link();
  void start_keep_alive(int seconds);

 protected:
  void customEvent(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void on_close_request();
  void on_reconnect(class ReconnectEvent& event);
  void on_child_program(std::int64_t started, std::int64_t window);

  ProgramSession& session_;
  QBasicTimer keep_alive_;
  QBasicTimer introduction_;
  QBasicTimer frame_rest_;
};

// Ends the program's event loop after the current event: the session then ends.
void end_program(ProgramSession& session);

// Selects cursor kind `kind` (0 to 14) for the program's content window.
void set_cursor_kind(ProgramSession& session, int kind);

class ProgramThread : public QThread {
 public:
  explicit ProgramThread(std::unique_ptr<StartRecord> record);
  ~ProgramThread() override;

 protected:
  void run() override;

 private:
  int dt_winmain();

  std::unique_ptr<StartRecord> record_;
  int thread_id_;
  ChannelPtr to_program_;
  ChannelPtr to_view_;
  friend int dt_open(int, const std::string&, const std::string&, int, const std::string&,
                     std::vector<std::uint8_t>);
};

namespace testing {
// Makes the next dt_open fail to start its thread (as when the system has no threads left).
void fail_next_thread_start();
}  // namespace testing

}  // namespace kovw::session
