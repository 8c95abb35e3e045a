#include "session/program/program_thread.h"

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
#include "net/link_state.h"
#include "net/tcp_socket.h"
#include "session/program/frame.h"
#include "session/program/key_buffer.h"
#include "session/program/key_input.h"
#include "session/program/program_link.h"
#include "session/program/program_list.h"
#include "session/program/program_messages.h"
#include "session/program/screen_metrics.h"
#include "session/program/text_output.h"
#include "session/view/cursor_kinds.h"
#include "session/view/program_view.h"
#include "session/view/system_palette.h"
#include "session/window_messages.h"

namespace kovw::session {

namespace {

std::atomic<int> g_live_threads{0};
std::atomic<int> g_next_thread_id{0x1000};
std::atomic<bool> g_fail_next_start{false};

void log_general(const char* text) {
  if (foundation::verbose(foundation::kVerboseGeneral)) foundation::log_printf("%s", text);
}

}  // namespace

namespace testing {
void fail_next_thread_start() {
  g_fail_next_start = true;
}
}  // namespace testing

int live_program_threads() {
  return g_live_threads.load();
}

// ---------------------------------------------------------------------------------------------
// dt_open: on the GUI thread.

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
  log_general("dt_open: Start Client Thread");

  auto* thread = new ProgramThread(std::move(record));
  // The view lives on the GUI thread; the program thread reaches it through its channel.
  new ProgramView(thread->to_program_, thread->to_view_);
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
  thread->to_view_->post(new WmlEvent(WML_VIEW_DESTROY));
  const std::string caption = thread->record_->title;
  delete thread;  // closes the link the record still owns
  foundation::log_printf("dt_open: failed %d", error);
  foundation::show_message_number(nullptr, 0, error, caption.c_str(), 10040);
  return -1;
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
  ThreadContext context;
  set_thread_context(&context);
  foundation::log_set_thread_name("KOVW Client");
  const int result = dt_winmain();
  record_.reset();
  const int remaining = program_count();
  auto* end = new WmlEvent(WML_ENDE, remaining, context.exit_flags);
  shell_channel().post(end);
  log_general("dt_thread: End Client Thread");
  set_thread_context(nullptr);
  foundation::hvt_end_threads(__FILE__, __LINE__);
  (void)result;
}

int ProgramThread::dt_winmain() {
  ThreadContext& context = *thread_context();
  context.short_name = context.window_text.substr(0, 16);
  context.link_timeout_ms = net::default_net_timeout();

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
  session.link.set_receive_timeout(context.link_timeout_ms);
  session.awaiting_introduction = true;  // admitted by dt_open
  session.cursor_kind = kCursorAppStarting;
  to_program_->bind(&super);

  context.session = &session;
  ProgramMessages messages(session);
  foundation::set_thread_message_handler(&messages);
  program_list_insert(session);
  send_kinfo(session);
  log_general("Insert new program/window");

  super.connect_link();
  super.await_introduction();
  set_cursor_kind(session, kCursorArrow);
  log_general("dt_winmain: Working");

  const int result = exec();
  log_general("dt_winmain: Finished");

  // A child program gives its parent back the input.
  if (session.parent_thread_id != 0) {
    ProgramInfo parent;
    if (find_program(session.parent_thread_id, &parent)) {
      parent.to_program->post(new WmlEvent(WML_CHILD_PROGRAM, 0, session.main_window));
    }
  }

  // Remove and free: unlink under the lock, then tear down without it.
  to_program_->unbind();
  program_list_remove(session);
  send_kend(session);
  end_awaiting_introduction(session);
  super.close_link();
  to_view_->post(new WmlEvent(WML_VIEW_DESTROY));
  foundation::set_thread_message_handler(nullptr);
  context.session = nullptr;
  return result;
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
  auto& message = static_cast<WmlEvent&>(*event);
  switch (message.number()) {
    case WML_CLOSE:
      on_close_request();
      break;
    case WML_STOP:
      foundation::log_printf("%s (%s:%d)", "WML_STOP", __FILE__, __LINE__);
      end_program(session_);
      break;
    case WML_RECONNECT:
      on_reconnect(static_cast<ReconnectEvent&>(message));
      break;
    case WML_CHILD_PROGRAM:
      on_child_program(message.wparam, message.lparam);
      break;
    case WML_SHOW_MESSAGE: {
      const std::string caption = message.caption.toStdString();
      const std::string text = message.text.toStdString();
      foundation::show_message(nullptr, foundation::kMsgUtf8, 0, caption.c_str(), "%s",
                               text.c_str());
      break;
    }
    case WML_TEXT_OUTPUT:
      text_output(session_,
                  std::span(reinterpret_cast<const std::uint8_t*>(message.bytes.constData()),
                            static_cast<std::size_t>(message.bytes.size())));
      break;
    case WML_END_LOOP:
      end_program(session_);
      break;
    case WML_KEY_PRESS:
      handle_key_press(session_, static_cast<const KeyPressInput&>(message));
      break;
    case WML_MOUSE_CLICK:
      handle_mouse_click(session_, static_cast<const MouseClickInput&>(message));
      break;
    case WML_MOUSE_WHEEL:
      handle_mouse_wheel(session_, static_cast<int>(message.wparam));
      break;
    case WML_FRAME_ITEM:
      frame_item_chosen(session_, static_cast<int>(message.wparam));
      break;
    default:
      foundation::log_printf("dt_win_proc: %s (%d) noch nicht behandelt",
                             wml_name(message.number()), message.number());
  }
}

void SuperWindow::on_close_request() {
  const ThreadContext* context = thread_context();
  const auto action = session_.close_rule.attempt(CloseRule::Clock::now(), context->host_version);
  bool ask = action == CloseRule::Action::AskUser;
  if (action == CloseRule::Action::ScreenHandler) {
    // The screen kinds bring their own close handlers (a text screen sends the close key).
    // Without one there is nobody to tell: the user is asked at once.
    ask = session_.screen_close_handler ? session_.screen_close_handler(session_) : true;
    key_send_pending(session_);  // the close key the handler stored
  }
  if (!ask) return;
  const bool graphics =
      session_.screen_kind == kScreenGraphics || session_.screen_kind == kScreenGraphics2;
  const int answer = foundation::show_message_number(
      nullptr, foundation::kMsgYesNo, 0, session_.caption.c_str(), graphics ? 10048 : 10019);
  if (answer == foundation::kAnswerYes) end_program(session_);
}

void SuperWindow::on_reconnect(ReconnectEvent& event) {
  if (event.host_pid() != session_.host_pid) {
    foundation::log_printf("WML_RECONNECT failed, wrong Host-Pid %d (expect: %d)", event.host_pid(),
                           session_.host_pid);
    return;  // the event closes the offered socket
  }
  foundation::log_printf("WML_RECONNECT Host-Pid %d", event.host_pid());
  close_link();
  session_.link.attach(event.take_socket());
  session_.link_lost_reported = false;
  connect_link();
}

void SuperWindow::on_child_program(std::int64_t started, std::int64_t window) {
  if (started != 0) {
    ProgramInfo child;
    session_.child_window = window;
    session_.child_thread_id = find_program_by_window(window, &child) ? child.thread_id : 0;
  } else {
    session_.child_window = 0;
    session_.child_thread_id = 0;
  }
  session_.to_view->post(new WmlEvent(WML_VIEW_CHILD, started, window));
}

void end_program(ProgramSession& session) {
  session.ending = true;
  QThread::currentThread()->exit(0);
}

void set_cursor_kind(ProgramSession& session, int kind) {
  session.cursor_kind = kind;
  if (session.windows_created) session.to_view->post(new WmlEvent(WML_VIEW_CURSOR, kind));
}

}  // namespace kovw::session
