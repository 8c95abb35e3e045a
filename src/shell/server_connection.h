#pragma once
// The one connection to a host's server daemon: login, logout, the server link's
// notifications on the GUI thread, the listening socket for host programs and the timers of
// the session. Nothing here waits on the GUI thread: connects run briefly on a helper
// thread and post their result, answers arrive through socket notifiers, waits are timers.

#include <QBasicTimer>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <array>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <span>
#include <string>
#include <thread>

#include "net/link.h"
#include "net/link_message.h"
#include "protocol/outgoing.h"
#include "protocol/server_messages.h"
#include "shell/connection_state.h"
#include "shell/host_search.h"
#include "shell/settings_record.h"
#include "shell/updater_download.h"

class QSocketNotifier;

namespace kovw::shell {

class MainWindow;
class FetchService;

// The session time-out that remains when the daemon restarts it: start + length - now, in
// seconds, at least two minutes.
int remaining_session_seconds(std::time_t started, int length_seconds, std::time_t now);

// The options word the workstation offers in its connection request: compression and
// encryption by the settings (neither when the verbosity is exactly 2), the browser bit for
// browser mode bit 0.
std::uint32_t offered_link_options(bool secure, bool crypted, int verbosity, int browser_mode);

class ServerConnection : public QObject {
  Q_OBJECT

 public:
  ServerConnection(MainWindow* window, SettingsRecord& settings);
  ~ServerConnection() override;

  // The process-wide connection (null when none exists).
  static ServerConnection* instance();

  // The login at the main window's creation: a second creation reports the active
  // connection; the password asked for each attempt, an automatic login, a browser login or
  // the login dialog, as decide_first_login chooses.
  void first_login();
  // The next login uses the password just entered (the password is asked for each attempt).
  void supply_password() { password_supplied_ = true; }
  // Starts a login of `kind` (kLoginNormal, ...). The result arrives with login_finished:
  // 0 logged in, -1 failed. Returns -1 at once when a login runs or a connection exists.
  int do_login(int kind);
  // Logs out; returns 0 or the link error of the logout message.
  int do_logout(bool show_dialog);

  int state() const { return state_; }
  std::time_t login_time() const { return login_time_; }
  std::uint32_t reply_flags() const { return reply_flags_; }
  const std::string& display_text() const { return display_text_; }
  const std::string& host_address() const { return host_address_; }
  int daemon_version() const { return daemon_version_; }
  // The options word negotiated with the daemon (0 when the daemon has no options).
  std::uint32_t options_word() const { return options_word_; }
  int listen_port() const { return listen_port_; }
  const HostList& hosts() const { return hosts_; }
  // The hosts a search of the login dialog found: their addresses and ports are used to
  // connect to a host chosen by name.
  void adopt_hosts(const HostList& hosts) { hosts_ = hosts; }
  // The fetches from the daemon (GUI thread).
  FetchService* fetches() const { return fetches_; }
  // The system error of the GUI thread's last failed send.
  int send_error() const { return send_error_; }

  // Sends one frame on the server link. On the GUI thread: the bytes sent or a negative result
  // (send_error() gives the system error). From any other thread (a program thread's KINFO and
  // KEND) the frame is queued and goes out from the GUI thread, so that no GUI-thread send waits
  // behind a program thread's send on a stalled daemon; the result is then 0.
  int send(const net::LinkMessage& message, const void* payload);
  int send(int type, std::span<const std::uint8_t> payload);
  int send(const protocol::Outgoing& message);

  // Used by the server event dispatch.
  MainWindow* window() const { return window_; }
  const SettingsRecord& settings() const { return settings_; }
  // Ends the workstation when "Auto End" is set.
  void end_if_auto_end();
  void stop_session_timer();
  // Restarts the session time-out with the time that remains (at least 2 minutes).
  void restart_session_timer();
  // Stops the programs of `run_id` (0: all) after `delay_seconds`; with 0 also logs out.
  void stop_programs_later(int run_id, int delay_seconds);
  // Connects back to the host at `port` and hands the link on (proxy and print links).
  void connect_back(int type, int port, std::string process_id,
                    std::vector<std::uint8_t> message_payload);
  // Shows a text in a window that does not block the loop; closes itself after
  // `close_after_ms` when not 0.
  void show_info_window(const QString& caption, const QString& text, int close_after_ms);

 signals:
  void login_finished(int result);
  void state_changed(int state);

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  enum class Phase {
    Idle,
    Searching,
    Connecting,
    AwaitConnect,
    AwaitLogin,
    AwaitPasswordInput,  // the change or choose dialog is open
    AwaitPassword,       // the new password was sent
    Updating,            // the daemon sends the updater (between the login reply and online)
    Online
  };

  void set_state(int state);
  void refresh_display();
  void continue_login();
  void on_connected(int attempt, int socket, int result, int error);
  // Opens the trace of the new server link when recording is on (--record, "Record Directory").
  void start_recording();
  void on_readable();
  void on_link_failure(int result, int error);
  void on_server_closed();
  void on_frame(const net::LinkMessage& message, std::span<const std::uint8_t> payload);
  void handle_connect_reply(const net::LinkMessage& message, std::span<const std::uint8_t> payload);
  void handle_login_reply(const net::LinkMessage& message, std::span<const std::uint8_t> payload);
  // The rest of a login after its reply (and after an update that was declined or cancelled).
  void continue_login_reply(const protocol::LoginReply& reply);
  // The offer of a newer version: true when the download runs (the login waits for it).
  bool begin_update(const protocol::LoginReply& reply);
  void handle_update_frame(const net::LinkMessage& message, std::span<const std::uint8_t> payload);
  void end_update();
  bool send_after_login();
  // The password change after the login reply: the dialog (the old password asked when
  // `voluntary`), KWK_KPASS, the daemon's answer, then the logout that ends the login.
  void begin_password_change(bool voluntary);
  void handle_password_answer(const net::LinkMessage& message,
                              std::span<const std::uint8_t> payload);
  void end_password_change();
  // Hands the login's facts to the program sessions.
  void tell_programs_of_login();
  void login_failed(int error);
  bool open_listener(int port, bool search);
  void close_listener();
  void close_server_link();
  void on_program_accept();
  // A connect-back that failed: logged each time; outside unattended runs at most one box per
  // burst of failures.
  void connect_back_failed(const std::string& display, int port, int result, int error);
  bool needs_user_input(std::string* what) const;

  MainWindow* window_;
  SettingsRecord& settings_;
  int state_ = kStateNotConnected;
  int remembered_state_ = kStateNotConnected;
  Phase phase_ = Phase::Idle;
  int login_kind_ = kLoginNormal;
  int attempt_ = 0;

  std::thread::id gui_thread_;
  net::Link link_;  // the server link
  int send_error_ = 0;
  QSocketNotifier* server_notifier_ = nullptr;
  bool dispatching_ = false;

  int listen_socket_ = -1;
  int listen_port_ = 0;
  QSocketNotifier* listen_notifier_ = nullptr;

  std::string display_text_;
  std::string host_name_;
  std::string host_address_;
  int host_port_ = 0;
  std::array<std::uint8_t, 16> client_value_{};
  int daemon_version_ = 0;
  bool host_keeps_slash_ = false;  // the host keeps "/" in the paths of the path selection
  // The running update's download, its progress window and the login reply that waits for it.
  std::unique_ptr<UpdaterDownload> update_download_;
  QPointer<QProgressDialog> update_progress_;
  std::unique_ptr<protocol::LoginReply> pending_reply_;
  std::uint64_t update_size_ = 0;
  std::uint32_t options_word_ = 0;
  std::uint32_t reply_flags_ = 0;
  std::time_t login_time_ = 0;
  int failed_logins_ = 0;
  bool password_supplied_ = false;
  bool password_change_voluntary_ = false;
  bool browser_login_ = false;  // the running login stores the browser login data on success

  QBasicTimer answer_timer_;   // waiting for a daemon answer during the login
  QBasicTimer session_timer_;  // 40435
  QBasicTimer ping_timer_;     // 40445
  QBasicTimer frame_rest_;     // the rest of a started frame, within the net time-out
  int session_seconds_ = 0;
  std::time_t session_started_ = 0;

  HostList hosts_;
  FetchService* fetches_ = nullptr;  // a child object

  bool connect_back_box_open_ = false;
  std::chrono::steady_clock::time_point connect_back_box_closed_{};
};

// After a connect-back failure box, further failures within this pause are only logged.
inline constexpr std::chrono::seconds kConnectBackBoxPause{30};

}  // namespace kovw::shell
