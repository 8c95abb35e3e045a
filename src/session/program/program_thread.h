#pragma once
// One thread per host program. dt_open (program_start.h, called by the shell on the GUI thread
// for every new program link) starts a ProgramThread; the thread owns the ProgramSession, the link
// and its receive state, runs its own event loop with the SuperWindow (the invisible receiver of
// the link's notifications and of every event posted to the program), and ends when the link closes
// or the program is closed. Its windows are a ProgramView on the GUI thread.
//
//   GUI thread                         program thread
//   ----------                         --------------
//   dt_open ------ start ------------> run(): session, list insert, KINFO, event loop
//   ProgramView <--- to_view::* ------ SuperWindow (dt_receive, dt_command, dt_send)
//   MainWindow ----- to_program::Close > SuperWindow: close rule, question box
//   shell ---------- to_program::Stop -> SuperWindow
//   shell <--------- ProgramEndedEvent - end of run(): list remove, KEND

#include <QBasicTimer>
#include <QObject>
#include <QThread>
#include <memory>
#include <string>
#include <vector>

#include "session/program/program_session.h"
#include "session/program/start_record.h"
#include "session/window_messages.h"

namespace kovw::session {

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
  // One handler for each message to the program.
  void on(to_program::Close& message);
  void on(to_program::Stop& message);
  void on(to_program::Reconnect& message);
  void on(to_program::ChildProgram& message);
  void on(to_program::ShowMessage& message);
  void on(to_program::TextOutput& message);
  void on(to_program::KeyPress& message);
  void on(to_program::MouseClick& message);
  void on(to_program::MouseWheel& message);
  void on(to_program::FrameItem& message);
  void on(to_program::FilesDropped& message);
  void on(to_program::WindowGeometry& message);
  void on(to_program::EditLeft& message);
  void on(to_program::DialogUserAction& message);
  void on(to_program::GraphicsClick& message);
  void on(to_program::GraphicsScroll& message);
  void on(to_program::PaletteChanged& message);
  void on(to_program::IconViewAction& message);
  void on(to_program::ListDialogDone& message);

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

  // The channels between the thread and its view.
  const ChannelPtr& to_program() const { return to_program_; }
  const ChannelPtr& to_view() const { return to_view_; }
  // The start record until the thread takes it over.
  const StartRecord* record() const { return record_.get(); }

 protected:
  void run() override;

 private:
  // Runs the session; returns the exit flags its host set.
  std::uint32_t dt_winmain();

  std::unique_ptr<StartRecord> record_;
  int thread_id_;
  ChannelPtr to_program_;
  ChannelPtr to_view_;
};

}  // namespace kovw::session
