#include "session/program/program_thread.h"

#include "session/program/screen_initialisation.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <atomic>
#include <chrono>
#include <thread>

#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/named_lock.h"
#include "foundation/show_message.h"
#include "foundation/verbose.h"
#include "net/link_message.h"
#include "net/link_names.h"
#include "net/link_recording.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"
#include "session/program/cursor_kind_numbers.h"
#include "session/program/edit_areas.h"
#include "session/program/frame.h"
#include "session/program/graphics_windows.h"
#include "session/program/host_dialogs.h"
#include "session/program/icon_view.h"
#include "session/program/key_buffer.h"
#include "session/program/key_input.h"
#include "session/program/program_link.h"
#include "session/program/program_list.h"
#include "session/program/program_messages.h"
#include "session/program/screen_metrics.h"
#include "session/program/window_geometry.h"
#include "session/window_messages.h"

namespace kovw::session {

namespace {

std::atomic<int> g_live_threads{0};
std::atomic<int> g_next_thread_id{0x1000};

void log_general(const char* text) {
  if (foundation::verbose(foundation::kVerboseGeneral)) foundation::log_printf("%s", text);
}

}  // namespace

int live_program_threads() {
  return g_live_threads.load();
}

// ---------------------------------------------------------------------------------------------
// The thread.

ProgramThread::ProgramThread(std::unique_ptr<StartRecord> record)
    : record_(std::move(record)),
      thread_id_(g_next_thread_id.fetch_add(1)),
      to_program_(std::make_shared<EventChannel>()),
      to_view_(std::make_shared<EventChannel>()) {
  setObjectName("KOVW Client");
  ++g_live_threads;
}

ProgramThread::~ProgramThread() {
  if (record_ && record_->socket >= 0) net::sc_close(record_->socket);
  --g_live_threads;
}

void ProgramThread::run() {
  // dt_thread
  foundation::log_set_thread_name("KOVW Client");
  const std::uint32_t exit_flags = dt_winmain();
  record_.reset();
  const int remaining = program_count();
  shell_channel().post(new ProgramEndedEvent(remaining, exit_flags));
  log_general("dt_thread: End Client Thread");
  foundation::hvt_end_threads(__FILE__, __LINE__);
}

std::uint32_t ProgramThread::dt_winmain() {
  auto hooks = session_host();
  if (hooks->start_delay_seconds > 0) {
    foundation::log_printf("dt_winmain: Debug Wait %d seconds", hooks->start_delay_seconds);
    std::this_thread::sleep_for(std::chrono::seconds(hooks->start_delay_seconds));
  }
  log_general("dt_winmain: Open Client Super Window");

  ProgramSession session;
  SuperWindow super(session);
  session.super = &super;
  session.host_hooks = hooks;
  session.thread_id = thread_id_;
  session.host_pid = record_->host_pid();
  session.title = record_->title;
  session.host = record_->host;
  session.port = record_->port;
  session.identification = std::move(record_->extra);
  session.start_time = std::time(nullptr);
  session.to_program = to_program_;
  session.to_view = to_view_;
  session.link.attach(std::exchange(record_->socket, -1));
  session.link.set_recorder(
      net::open_link_recording(net::TraceLinkKind::Program, session.title, session.link.options()));
  session.link_timeout_ms = net::default_net_timeout();
  session.link.set_receive_timeout(session.link_timeout_ms);
  session.awaiting_introduction = true;  // admitted by dt_open
  session.cursor_kind = kCursorAppStarting;
  session.short_name = "KOVT";  // the window text names the program until its caption does
  to_program_->bind(&super);

  ProgramMessages messages(session);
  foundation::set_thread_message_handler(&messages);
  program_list_insert(session);
  send_kinfo(session);
  log_general("Insert new program/window");

  super.connect_link();
  super.await_introduction();
  set_cursor_kind(session, kCursorArrow);
  log_general("dt_winmain: Working");

  exec();
  log_general("dt_winmain: Finished");

  // A child program gives its parent back the input.
  if (session.parent_thread_id != 0) {
    ProgramInfo parent;
    if (find_program(session.parent_thread_id, &parent)) {
      post_to_program(*parent.to_program, to_program::ChildProgram{false, session.main_window});
    }
  }

  // Remove and free: unlink under the lock, then tear down without it.
  to_program_->unbind();
  program_list_remove(session);
  send_kend(session);
  end_awaiting_introduction(session);
  super.close_link();
  post_to_view(*to_view_, to_view::Destroy{});
  foundation::set_thread_message_handler(nullptr);
  return session.exit_flags;
}

// ---------------------------------------------------------------------------------------------
// The super window.

void SuperWindow::connect_link() {
  if (!session_.link.is_open()) return;
  // Owned by the session alone (no parent), so it dies exactly once, in close_link.
  session_.notifier =
      std::make_unique<QSocketNotifier>(session_.link.socket(), QSocketNotifier::Read);
  QObject::connect(session_.notifier.get(), &QSocketNotifier::activated, this, [this] {
    if (foundation::verbose(foundation::kVerboseGeneral)) foundation::log_printf("WML_SOCK_CLIENT");
    dt_receive(session_);
  });
}

int SuperWindow::release_link() {
  session_.notifier.reset();
  frame_rest_.stop();
  return session_.link.release();
}

void SuperWindow::close_link() {
  session_.notifier.reset();
  frame_rest_.stop();
  session_.link.close();
}

void SuperWindow::await_introduction() {
  if (session_.awaiting_introduction)
    introduction_.start(static_cast<int>(introduction_timeout().count()), this);
}

void SuperWindow::watch_frame(bool frame_started) {
  if (frame_started)
    frame_rest_.start(session_.link.net_timeout(), this);
  else
    frame_rest_.stop();
}

void SuperWindow::start_keep_alive(int seconds) {
  keep_alive_.start(seconds * 1000, this);
}

void SuperWindow::timerEvent(QTimerEvent* event) {
  if (event->timerId() == introduction_.timerId()) {
    introduction_.stop();
    introduction_timed_out(session_);
    return;
  }
  if (event->timerId() == frame_rest_.timerId()) {
    frame_rest_.stop();
    frame_timed_out(session_);
    return;
  }
  if (event->timerId() != keep_alive_.timerId()) return;
  if (session_.activity) {
    session_.activity = false;
    return;
  }
  foundation::log_printf("Ping Server %s:%s", session_.host.c_str(), session_.program_name.c_str());
  dt_send(session_, net::kKeepAliveService, net::kKeepAliveType, nullptr, 0);
}

void SuperWindow::customEvent(QEvent* event) {
  // Only ProgramEvents are posted to the program (its channel takes nothing else).
  std::visit([this](auto& message) { on(message); }, static_cast<ProgramEvent&>(*event).message);
}

void SuperWindow::on(to_program::Stop&) {
  foundation::log_printf("%s (%s:%d)", "WML_STOP", __FILE__, __LINE__);
  end_program(session_);
}

void SuperWindow::on(to_program::PaletteChanged&) {
  reapply_colour_model(session_);
}

void SuperWindow::on(to_program::ShowMessage& message) {
  const std::string caption = message.caption.toStdString();
  const std::string text = message.text.toStdString();
  foundation::show_message(nullptr, foundation::kMsgUtf8, 0, caption.c_str(), "%s", text.c_str());
}

void SuperWindow::on(to_program::TextOutput& message) {
  if (session_.screen) session_.screen->output(session_, message.commands);
}

void SuperWindow::on(to_program::KeyPress& message) {
  if (session_.screen) {
    session_.screen->key_press(session_, message);
  } else if (session_.graphics && session_.graphics->open()) {
    // A graphics window's keys are its graphics input.
    session_.graphics->key(key_codes(session_, message), message.modifiers);
  }
}

void SuperWindow::on(to_program::GraphicsScroll& message) {
  if (session_.graphics && session_.graphics->open())
    session_.graphics->scroll_to(message.window, message.x, message.y);
}

void SuperWindow::on(to_program::GraphicsClick& message) {
  if (session_.graphics && session_.graphics->open())
    session_.graphics->click(message.button_code, message.x, message.y, message.modifiers,
                             message.window);
}

void SuperWindow::on(to_program::MouseClick& message) {
  if (session_.screen) session_.screen->click(session_, message);
}

void SuperWindow::on(to_program::MouseWheel& message) {
  if (session_.screen) session_.screen->wheel(session_, message.steps);
}

void SuperWindow::on(to_program::FrameItem& message) {
  icon_view_toolbar_text(session_, message.toolbar_text);
  frame_item_chosen(session_, message.id);
}

void SuperWindow::on(to_program::FilesDropped& message) {
  session_.dropped_files << message.files;
}

void SuperWindow::on(to_program::DialogUserAction& message) {
  host_dialog_action(session_, message.action);
}

void SuperWindow::on(to_program::IconViewAction& message) {
  icon_view_action(session_, message);
}

void SuperWindow::on(to_program::ListDialogDone& message) {
  list_dialog_done(session_, message);
}

void SuperWindow::on(to_program::EditLeft& message) {
  edit_area_left(session_, message);
}

void SuperWindow::on(to_program::WindowGeometry& message) {
  remember_window_geometry(session_, message);
}

void SuperWindow::on(to_program::Close&) {
  const auto action = session_.close_rule.attempt(CloseRule::Clock::now(), session_.host_version);
  bool ask = action == CloseRule::Action::AskUser;
  if (action == CloseRule::Action::ScreenHandler) {
    // The screens close in their own way (a text screen sends the close key). Without one
    // there is nobody to tell: the user is asked at once.
    ask = session_.screen ? session_.screen->close_request(session_) : true;
    key_send_pending(session_);  // the close key the handler stored
  }
  if (!ask) return;
  const bool graphics =
      session_.screen_kind == kScreenGraphics || session_.screen_kind == kScreenGraphics2;
  const int answer = foundation::show_message_number(
      nullptr, foundation::kMsgYesNo, 0, session_.caption.c_str(), graphics ? 10048 : 10019);
  if (answer == foundation::kAnswerYes) end_program(session_);
}

void SuperWindow::on(to_program::Reconnect& message) {
  if (message.host_pid != session_.host_pid) {
    foundation::log_printf("WML_RECONNECT failed, wrong Host-Pid %d (expect: %d)", message.host_pid,
                           session_.host_pid);
    return;  // the message closes the offered socket
  }
  foundation::log_printf("WML_RECONNECT Host-Pid %d", message.host_pid);
  close_link();
  session_.link.attach(message.socket.take());
  session_.link.set_recorder(net::open_link_recording(net::TraceLinkKind::Program, session_.title,
                                                      session_.link.options()));
  session_.link_lost_reported = false;
  connect_link();
}

void SuperWindow::on(to_program::ChildProgram& message) {
  const std::int64_t window = message.child_window;
  if (message.started) {
    ProgramInfo child;
    session_.child_window = window;
    session_.child_thread_id = find_program_by_window(window, &child) ? child.thread_id : 0;
  } else {
    session_.child_window = 0;
    session_.child_thread_id = 0;
  }
  post_to_view(*session_.to_view, to_view::ChildHolds{message.started, window});
}

void end_program(ProgramSession& session) {
  session.ending = true;
  QThread::currentThread()->exit(0);
}

void set_cursor_kind(ProgramSession& session, int kind) {
  session.cursor_kind = kind;
  if (session.windows_created) post_to_view(*session.to_view, to_view::Cursor{kind});
}

}  // namespace kovw::session
