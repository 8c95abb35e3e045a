#pragma once
// A host program in the test process: the test holds one end of a stream socket pair and
// speaks the link protocol on it with the net layer's own frame functions; the other end goes
// to dt_open as a freshly accepted program link. The fixture also stands in for the shell
// (WML_ENDE receiver, server-link sends) and for the user (a presenter that answers boxes).

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/log.h"
#include "foundation/named_lock.h"
#include "foundation/show_message.h"
#include "net/fields.h"
#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_names.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"
#include "protocol/payload_codec.h"
#include "protocol/program/screen_definition.h"
#include "protocol/program/start_messages.h"
#include "session/program/program_list.h"
#include "session/program/program_thread.h"
#include "session/program/session_host.h"
#include "session/program_start.h"
#include "session/view/program_view.h"
#include "session/window_messages.h"
#include "session/window_registry.h"

namespace kovw::session::test {

inline QApplication& test_app() {
  static int argc = 1;
  static char name[] = "test_session";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    // The log and every temporary file go to a directory of this run; the log is opened now,
    // so that counting descriptors sees it from the start.
    static std::string tmp = [] {
      char dir[] = "/tmp/test_session.XXXXXX";
      return std::string(mkdtemp(dir));
    }();
    setenv("TMPDIR", tmp.c_str(), 1);
    setenv("HOME", tmp.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (tmp + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (tmp + "/data").c_str(), 1);
    foundation::log_printf("test_session");
    foundation::hvt_init_threads(__FILE__, __LINE__);  // the GUI thread
    return new QApplication(argc, argv);
  }();
  return *app;
}

// Pumps the GUI thread's events until `done` holds or `ms` pass.
inline bool wait_until(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QThread::msleep(1);
  }
  return true;
}

// The shell's main window as far as program threads see it.
class ShellProbe : public QObject {
 public:
  ShellProbe() { shell_channel().bind(this); }
  ~ShellProbe() override { shell_channel().unbind(); }
  std::vector<std::pair<std::int64_t, std::int64_t>> ends;  // programs left, exit flags

 protected:
  void customEvent(QEvent* event) override {
    ASSERT_EQ(WML_ENDE, wml_number(event));
    const auto& ended = static_cast<const ProgramEndedEvent&>(*event);
    ends.emplace_back(ended.remaining, ended.exit_flags);
  }
};

// Answers every box with the next scripted answer (the default answer when none is left) and
// records what it was asked. Called on program threads.
class ScriptedUser : public foundation::MessagePresenter {
 public:
  int present(const foundation::MessageBoxRequest& request) override {
    std::lock_guard lock(mutex);
    asked.push_back(request.text);
    if (answers.empty()) return request.buttons.empty() ? 1 : 6;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::size_t count() {
    std::lock_guard lock(mutex);
    return asked.size();
  }
  std::mutex mutex;
  std::vector<std::string> asked;
  std::deque<int> answers;
};

struct ServerMessage {
  int type;
  std::vector<std::uint8_t> payload;
};

// One host program's end of a link.
struct HostPeer {
  int socket = -1;
  net::FrameReader reader;

  ~HostPeer() { close(); }
  void close() {
    if (socket >= 0) net::sc_close(socket);
    socket = -1;
  }
  int send(int service, int type, const std::vector<std::uint8_t>& payload = {}) {
    net::LinkMessage message;
    message.service = static_cast<std::uint8_t>(service);
    message.type = static_cast<std::uint8_t>(type);
    message.length = static_cast<std::int32_t>(payload.size());
    return net::link_send(socket, message, payload.data());
  }
  // Receives one frame (keep-alives skipped); returns link_receive's result.
  int receive(net::LinkMessage& message, std::vector<std::uint8_t>& payload) {
    const int result = net::link_receive(socket, message, reader, net::kSkipKeepAlive);
    if (result == 1) {
      const auto view = reader.payload_view();
      payload.assign(view.begin(), view.end());
    }
    return result;
  }
  // True when the workstation closed its end (a read sees the end of the stream).
  bool closed_by_workstation() {
    char byte;
    const int n = net::sc_recv(socket, 1, &byte, net::kRecvAny, 3000);
    return n == 0;
  }
};

// KINIT with the optional items in `optional` (version, parent window, embed flag, link
// time-out), as many as given.
inline std::vector<std::uint8_t> kinit_payload(int pid, const std::string& name,
                                               std::vector<int> optional = {}) {
  protocol::KInit message;
  message.host_pid = pid;
  message.program_name = name;
  std::vector<std::uint8_t> out = protocol::build_kinit(message).payload;  // pid and name only
  for (int value : optional) protocol::PayloadWriter(out).int_field(value);
  return out;
}

// The next message from the workstation, which must be key data (KWK_WTAST), as its raw
// 16-bit codes.
inline std::vector<std::uint16_t> receive_key_codes(HostPeer& peer) {
  net::LinkMessage message;
  std::vector<std::uint8_t> payload;
  EXPECT_EQ(1, peer.receive(message, payload));
  EXPECT_EQ(net::KWD_WIN, message.service);
  EXPECT_EQ(net::KWK_WTAST, message.type);
  std::vector<std::uint16_t> codes;
  for (std::size_t i = 0; i + 1 < payload.size(); i += 2)
    codes.push_back(static_cast<std::uint16_t>(payload[i] << 8 | payload[i + 1]));
  return codes;
}

inline std::vector<std::int32_t> read_ints(const std::vector<std::uint8_t>& payload) {
  std::vector<std::int32_t> out;
  net::FieldCursor at(payload.data(), payload.size());
  while (!at.at_end()) {
    const auto value = net::get_int_field(at);
    if (at.failed) break;
    out.push_back(value);
  }
  return out;
}

inline int open_descriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_app();
    net::link_state().net_timeout_ms = 3000;
    setenv(foundation::kUnattendedVariable, "0", 1);
    foundation::set_message_presenter(&user_);
    SessionHost host;
    host.server_host_name = "testhost";
    host.send_to_server = [this](int type, std::span<const std::uint8_t> payload) {
      std::lock_guard lock(server_mutex_);
      server_.push_back({type, {payload.begin(), payload.end()}});
      return static_cast<int>(payload.size());
    };
    set_session_host(std::move(host));
  }

  void TearDown() override {
    for (auto& peer : peers_) peer->close();
    EXPECT_TRUE(wait_until([] {
      return program_count() == 0 && live_program_threads() == 0 && ProgramView::live_count() == 0;
    })) << "programs left: "
        << program_count();
    foundation::set_message_presenter(nullptr);
    setenv(foundation::kUnattendedVariable, "1", 1);
    set_session_host(SessionHost{});
  }

  // A new program link, handed to dt_open as the shell does for an accepted link.
  HostPeer& start_program(const std::string& pid_text = "0") {
    int pair[2];
    EXPECT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair));
    peers_.push_back(std::make_unique<HostPeer>());
    peers_.back()->socket = pair[0];
    EXPECT_EQ(0, dt_open(pair[1], "peer title", "<NULL>", -1, pid_text, {}));
    return *peers_.back();
  }

  // KINIT, then KGETWINID; returns the answer's integers (content, main, width, height,
  // parent, thread id).
  std::vector<std::int32_t> init_program(HostPeer& peer, int pid, const std::string& name,
                                         std::vector<int> optional = {0x070305}) {
    EXPECT_GT(peer.send(net::KWD_KOMM, net::KWK_KINIT, kinit_payload(pid, name, optional)), 0);
    return window_ids(peer);
  }

  // KWK_WINIT as a current host library sends it: a screen of `mode` (with style bits),
  // content size and window position.
  static int define_screen(HostPeer& peer, const std::string& title, int mode, int width = 0,
                           int height = 0, int x = 0, int y = 0) {
    protocol::ScreenDefinition screen;
    screen.mode_and_style = mode;
    screen.title = title;
    screen.width = width;
    screen.height = height;
    screen.x = x;
    screen.y = y;
    screen.screen_options = protocol::default_screen_options();
    const auto out =
        protocol::build_screen_definition(screen, 0x070305, net::KWD_WIN, net::KWK_WINIT);
    return peer.send(out.service, out.type, out.payload);
  }

  std::vector<std::int32_t> window_ids(HostPeer& peer) {
    EXPECT_GT(peer.send(net::KWD_KOMM, net::KWK_KGETWINID), 0);
    net::LinkMessage answer;
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(1, peer.receive(answer, payload));
    EXPECT_EQ(net::KWD_KOMM, answer.service);
    EXPECT_EQ(net::KWK_KGETWINID, answer.type);
    return read_ints(payload);
  }

  // The next frame from the workstation, received while the GUI thread goes on with its events:
  // handlers that need the GUI thread (clipboard, choosers) answer only then.
  static std::pair<net::LinkMessage, std::vector<std::uint8_t>> answer_pumping(HostPeer& peer) {
    EXPECT_TRUE(wait_until([&peer] {
      pollfd readable{peer.socket, POLLIN, 0};
      return ::poll(&readable, 1, 0) > 0;
    }));
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(1, peer.receive(message, payload));
    return {message, payload};
  }

  std::vector<ServerMessage> server_messages() {
    std::lock_guard lock(server_mutex_);
    return server_;
  }

  static QWidget* window_titled(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->windowTitle() == title) return widget;
    }
    return nullptr;
  }

  ShellProbe shell_;
  ScriptedUser user_;
  std::vector<std::unique_ptr<HostPeer>> peers_;
  std::mutex server_mutex_;
  std::vector<ServerMessage> server_;
};

}  // namespace kovw::session::test
