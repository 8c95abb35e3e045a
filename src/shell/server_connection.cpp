#include "shell/server_connection.h"

#include "shell/fetch_service.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <QTimerEvent>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/show_message.h"
#include "foundation/verbose.h"
#include "foundation/workflow_state.h"
#include "net/last_socket_error.h"
#include "net/link_io.h"
#include "net/link_names.h"
#include "net/link_recording.h"
#include "net/link_state.h"
#include "net/socket_errors.h"
#include "net/tcp_socket.h"
#include "platform/gui_call.h"
#include "protocol/server_messages.h"
#include "protocol/trace_redaction.h"
#include "shell/environment_expansion.h"
#include "shell/front_door_rules.h"
#include "shell/login_data.h"
#include "shell/macro_requests.h"
#include "shell/macro_state.h"
#include "shell/main_window.h"
#include "shell/password_dialogs.h"
#include "shell/password_rules.h"
#include "shell/program_link_handoff.h"
#include "shell/self_update.h"
#include "shell/server_events.h"
#include "shell/server_session_hooks.h"
#include "shell/server_texts.h"
#include "shell/settings_store.h"
#include "shell/startup.h"
#include "shell/update_offer.h"
#include "shell/version.h"

namespace kovw::shell {
namespace {

using foundation::log_printf;
using foundation::message_text;

ServerConnection* g_instance = nullptr;

constexpr int kSearchSeconds = 3;

std::string computer_name() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
  return name;
}

std::string clear_password(const SettingsRecord& settings) {
  std::string clear = decipher_password(settings.password);
  while (!clear.empty() && static_cast<unsigned char>(clear.back()) < 33) clear.pop_back();
  return clear;
}

// Texts from the host (display name, user) are host strings: ANSI or marked UTF-8.
QString from_host_text(const std::string& text) {
  return QString::fromStdU16String(foundation::host_to_wide(text));
}

}  // namespace

ServerConnection::ServerConnection(MainWindow* window, SettingsRecord& settings)
    : QObject(window), window_(window), settings_(settings) {
  g_instance = this;
  gui_thread_ = std::this_thread::get_id();
  const StartOptions& options = shell_state().options;
  int timeout = options.net_timeout_ms;
  if (timeout <= 0) {
    if (const char* text = std::getenv("HV_DC_NETTIMEOUT"); text != nullptr && *text != '\0') {
      timeout = net::net_timeout_from_option(std::strtol(text, nullptr, 10));
    }
  }
  if (timeout > 0) net::set_default_net_timeout(timeout);
  link_.set_net_timeout(net::default_net_timeout());
  display_text_ = message_text(40287);
  listen_port_ = shell_state().ports.listen;
  fetches_ =
      new FetchService([this](const protocol::Outgoing& message) { return send(message); },
                       [this] { return daemon_version_; }, [this] { return display_text_; }, this);
  fetches_->set_frame_timeout(std::max(link_.net_timeout(), 60000));
  refresh_display();
}

ServerConnection::~ServerConnection() {
  window_ = nullptr;  // the window is being destroyed
  if (state_ == kStateConnected) {
    log_printf("%s (%s:%d)", "do_logout aus WM_DESTROY", __FILE__, __LINE__);
    do_logout(false);
  }
  close_server_link();
  close_listener();
  if (g_instance == this) g_instance = nullptr;
}

ServerConnection* ServerConnection::instance() {
  return g_instance;
}

void ServerConnection::set_state(int state) {
  state_ = state;
  refresh_display();
  emit state_changed(state);
}

void ServerConnection::refresh_display() {
  if (window_ == nullptr) return;
  QString text;
  if (state_ == kStateConnected) {
    // "KOVW display:user[:start program]", at most 64 characters.
    std::string tip = "KOVW " + display_text_ + ":" + settings_.user.str();
    if (!settings_.start_program.view().empty()) tip += ":" + settings_.start_program.str();
    if (tip.size() > 64) tip = tip.substr(0, 61) + "...";
    text = from_host_text(tip);
  } else {
    text = from_host_text(display_text_) + QStringLiteral(" - ") +
           QString::fromUtf8(message_text(state_));
  }
  window_->set_display_text(text);
}

bool ServerConnection::needs_user_input(std::string* what) const {
  const StartOptions& options = shell_state().options;
  const bool least_loaded = options.overrides.font_mask & kFontOverrideLeastLoaded;
  if (settings_.host.view().empty() && !least_loaded) {
    *what = foundation::german() ? "Host" : "host";
    return true;
  }
  if (trim_login_text(settings_.user.view(), 64).empty()) {
    *what = foundation::german() ? "Benutzer" : "user";
    return true;
  }
  const bool ask = (options.overrides.mask & kOverrideAskPassword) && !password_supplied_;
  if (login_kind_ != kLoginForgottenPassword &&
      (ask || (settings_.save_passwd & (0x2 | 0x4)) == 0)) {
    *what = foundation::german() ? "Kennwort" : "password";
    return true;
  }
  return false;
}

void ServerConnection::first_login() {
  if (foundation::workflow_mode()) {
    do_login(kLoginNormal);
    return;
  }
  const StartOptions& options = shell_state().options;
  FirstLoginFacts facts;
  facts.connected = state_ == kStateConnected;
  facts.ask_each_time = options.overrides.mask & kOverrideAskPassword;
  facts.auto_login = settings_.auto_login != 0;
  facts.password_present = (settings_.save_passwd & (kSavePassword | kPasswordAutoLogin)) != 0;
  facts.browser_mode = options.browser_mode != 0;
  facts.always_dialog = options.browser_always_login;
  if (facts.browser_mode && !facts.connected && !facts.ask_each_time &&
      !(facts.auto_login && facts.password_present) && !facts.always_dialog) {
    facts.browser_data_complete =
        load_browser_login(settings_store(), settings_.host.view(), options.instance_name,
                           static_cast<std::uint32_t>(options.browser_session)) == 1;
  }
  switch (decide_first_login(facts)) {
    case FirstLogin::AlreadyConnected:
      foundation::show_message_number(window_, 0, 0, "Login", 10015);
      if (window_) window_->show_login_dialog();
      break;
    case FirstLogin::AskEachTime:
      if (window_) window_->ask_password_and_log_in(true);
      break;
    case FirstLogin::AutoLogin:
      do_login(kLoginNormal);
      break;
    case FirstLogin::BrowserLogin:
      browser_login_ = true;
      do_login(kLoginNormal);
      break;
    case FirstLogin::ShowDialog:
      if (window_) window_->show_login_dialog();
      break;
  }
}

int ServerConnection::do_login(int kind) {
  if (phase_ != Phase::Idle || state_ == kStateConnected) return -1;
  login_kind_ = kind;
  remembered_state_ = state_;
  ++attempt_;
  std::string missing;
  if (needs_user_input(&missing)) {
    set_state(kStateConnecting);
    foundation::show_message(window_, 0, 0, "Login",
                             foundation::german() ? "Anmeldung nicht möglich: %s fehlt."
                                                  : "Cannot log in: the %s is missing.",
                             missing.c_str());
    login_failed(-1);
    return -1;
  }
  const StartOptions& options = shell_state().options;
  if ((options.overrides.font_mask & kFontOverrideLeastLoaded) &&
      !settings_.disable_ask_for_hosts) {
    // The search waits for answers: it runs off the GUI thread and posts its list.
    phase_ = Phase::Searching;
    set_state(kStateSearching);
    const PortPlan ports = shell_state().ports;
    const int attempt = attempt_;
    QPointer<ServerConnection> self(this);
    std::thread([self, attempt, ports] {
      auto list = std::make_shared<HostList>();
      const int result =
          search_hosts(kSearchSeconds, ports.search_target, ports.search_answer, *list);
      platform::post_to_gui_thread([self, attempt, list, result] {
        if (!self || self->attempt_ != attempt || self->phase_ != Phase::Searching) return;
        self->hosts_ = *list;
        if (result < 0) log_printf("Hostabfrage fehlgeschlagen. Fehler %d", result);
        if (const HostEntry* best = self->hosts_.least_loaded()) {
          self->settings_.host.assign(best->name);
        }
        self->set_state(kStateNotConnected);
        self->continue_login();
      });
    }).detach();
    return 0;
  }
  continue_login();
  return 0;
}

void ServerConnection::continue_login() {
  set_state(kStateConnecting);
  phase_ = Phase::Connecting;
  const StartOptions& options = shell_state().options;

  host_name_ = trim_login_text(settings_.host.view(), 64);
  if (host_name_.empty()) {
    foundation::show_message(window_, 0, 0, "Login", "%s",
                             foundation::german() ? "Kein Host gefunden." : "No host found.");
    login_failed(-1);
    return;
  }
  host_address_ = host_name_;
  host_port_ = shell_state().ports.daemon;
  if (const HostEntry* entry = hosts_.find(host_name_)) {
    if (!entry->address.empty()) host_address_ = entry->address;
    if (entry->port != 0) host_port_ = entry->port;
  }

  if (options.open_ports && listen_socket_ < 0) {
    if (!open_listener(shell_state().ports.listen, settings_.automatic_kovw_port != 0)) {
      const int error = net::last_socket_error();
      foundation::show_message_number(window_, 0, error, "Login", 10039, host_name_.c_str(),
                                      shell_state().ports.listen, -1, error);
      login_failed(-1);
      return;
    }
  }

  log_printf("Try connect to %s / %d ...", host_address_.c_str(), host_port_);
  // The connect waits for the host: it runs off the GUI thread and posts its result.
  const int attempt = attempt_;
  const std::string address = host_address_;
  const int port = host_port_;
  const int timeout = net::default_net_timeout();
  QPointer<ServerConnection> self(this);
  std::thread([self, attempt, address, port, timeout] {
    const int socket = net::sc_connect_to(address.c_str(), port, timeout);
    const int error = socket < 0 ? net::last_socket_error() : 0;
    platform::post_to_gui_thread([self, attempt, socket, error] {
      if (!self || self->attempt_ != attempt || self->phase_ != Phase::Connecting) {
        if (socket >= 0) net::sc_close(socket);
        return;
      }
      self->on_connected(attempt, socket, socket < 0 ? socket : 0, error);
    });
  }).detach();
}

void ServerConnection::on_connected(int, int socket, int result, int error) {
  log_printf(" ... done. Result %d / %d", result, error);
  if (socket < 0) {
    foundation::show_message_number(window_, 0, error, "Login", 10039, host_name_.c_str(),
                                    host_port_, result, error);
    login_failed(result);
    return;
  }
  link_.attach(socket);
  display_text_ = host_name_;
  start_recording();

  // A new link starts without key and with plain classic frames.
  net::link_set_session_key(nullptr, nullptr);
  link_.reset_options();
  link_.set_net_timeout(net::default_net_timeout());

  std::random_device device;
  for (auto& byte : client_value_) byte = static_cast<std::uint8_t>(device() & 0xff);
  protocol::ConnectRequest request;
  request.computer_name = computer_name();
  request.version_word = static_cast<std::int32_t>(shell_state().version_word);
  request.client_value = client_value_;
  request.offered_options =
      offered_link_options(settings_.secure_connection != 0, settings_.crypted_connection != 0,
                           foundation::verbose(), shell_state().options.browser_mode);
  log_printf("Wait for initial communication");
  const int sent = send(protocol::build_connect_request(request));
  if (sent < 0) {
    const int system_error = send_error_;
    log_printf(" ... done. Result %d / %d", sent, system_error);
    foundation::show_message_number(window_, 0, system_error, "Login", 10038, display_text_.c_str(),
                                    sent, system_error);
    login_failed(sent);
    return;
  }
  server_notifier_ = new QSocketNotifier(socket, QSocketNotifier::Read, this);
  connect(server_notifier_, &QSocketNotifier::activated, this, [this] { on_readable(); });
  phase_ = Phase::AwaitConnect;
  answer_timer_.start(net::default_net_timeout(), this);
}

void ServerConnection::on_readable() {
  if (!link_.is_open() || dispatching_) return;
  if (phase_ == Phase::Online && foundation::verbose(foundation::kVerboseTransmission)) {
    log_printf("Data from host server");
  }
  // The same receive as a program link's: a keep-alive is dropped before it is decoded, and the
  // sending encryption follows the received frames.
  const net::ReceiveStep step = link_.receive_step();
  if (link_.frame_started())
    frame_rest_.start(link_.net_timeout(), this);
  else
    frame_rest_.stop();
  switch (step.outcome) {
    case net::ReceiveOutcome::Pending:
    case net::ReceiveOutcome::KeepAlive:
      return;
    case net::ReceiveOutcome::Closed:
      on_link_failure(0, foundation::kWSAECONNRESET);
      return;
    case net::ReceiveOutcome::Failed:
      on_link_failure(step.result, step.error);
      return;
    case net::ReceiveOutcome::Message:
      break;
  }
  const net::LinkMessage message = link_.message();
  std::vector<std::uint8_t> payload(link_.payload().begin(), link_.payload().end());
  link_.frame_done();
  on_frame(message, payload);
}

void ServerConnection::on_link_failure(int result, int error) {
  if (phase_ == Phase::Updating) {
    // The link broke during the download: nothing of it stays, the login is abandoned.
    end_update();
    foundation::show_message_number(window_, 0, error, "Update", 10037, display_text_.c_str(),
                                    result, error);
    login_failed(result);
    return;
  }
  if (phase_ == Phase::AwaitConnect || phase_ == Phase::AwaitLogin ||
      phase_ == Phase::AwaitPasswordInput || phase_ == Phase::AwaitPassword) {
    log_printf(" ... done. Result %d / %d", result, error);
    foundation::show_message_number(window_, 0, error, "Login", 10037, display_text_.c_str(),
                                    result, error);
    login_failed(result);
    return;
  }
  if (result != 0) log_printf("Fehler beim Empfangen vom Server. Result %d / %d", result, error);
  on_server_closed();
}

void ServerConnection::on_server_closed() {
  close_server_link();
  log_printf("%s (%s:%d)", "do_logout aus FD_CLOSE/ObeyServer", __FILE__, __LINE__);
  do_logout(true);
  end_if_auto_end();
}

void ServerConnection::on_frame(const net::LinkMessage& message,
                                std::span<const std::uint8_t> payload) {
  switch (phase_) {
    case Phase::AwaitConnect:
      handle_connect_reply(message, payload);
      return;
    case Phase::AwaitLogin:
      handle_login_reply(message, payload);
      return;
    case Phase::AwaitPassword:
      handle_password_answer(message, payload);
      return;
    case Phase::Updating:
      handle_update_frame(message, payload);
      return;
    case Phase::Online: {
      // While a fetch runs, every frame of the server link is its answer.
      if (fetches_->active()) {
        fetches_->take(message.type, payload);
        return;
      }
      // A message box of the dispatch runs a nested loop: further frames wait until the
      // dispatch has ended (the notifier reports them again then).
      dispatching_ = true;
      if (server_notifier_) server_notifier_->setEnabled(false);
      QPointer<ServerConnection> self(this);
      dispatch_server_event(*this, message, payload);
      if (!self) return;
      dispatching_ = false;
      if (server_notifier_) server_notifier_->setEnabled(true);
      return;
    }
    default:
      return;
  }
}

void ServerConnection::handle_connect_reply(const net::LinkMessage& message,
                                            std::span<const std::uint8_t> payload) {
  log_printf(" ... done. Result %d / %d", 1, 0);
  options_word_ = 0;
  daemon_version_ = 0;
  host_keeps_slash_ = false;
  if (message.type == net::KWK_KCONNECT) {
    const protocol::Result<protocol::ConnectReply> reply = protocol::parse_connect_reply(payload);
    if (!reply) {
      foundation::show_message_number(window_, 0, net::kErrorInvalidData, "Login", 10037,
                                      display_text_.c_str(), net::kLinkMalformed,
                                      net::kErrorInvalidData);
      login_failed(net::kLinkMalformed);
      return;
    }
    if (!reply->host_name.empty()) display_text_ = reply->host_name;
    daemon_version_ = reply->daemon_version;
    if (reply->path_ints) host_keeps_slash_ = (*reply->path_ints)[0] != 0;
    options_word_ = protocol::effective_options(reply->options, daemon_version_);
    net::link_set_session_key(client_value_.data(), reply->server_value.data());
    link_.set_options(options_word_, true, settings_.crypted_connection != 0);
  }
  if (login_kind_ == kLoginForgottenPassword &&
      daemon_version_ < protocol::kDaemonForgottenPassword) {
    foundation::show_message_number(window_, 0, 0, "Login", 10094, display_text_.c_str());
    login_failed(-1);
    return;
  }

  const StartOptions& options = shell_state().options;
  protocol::LoginRequest request;
  request.user = trim_login_text(settings_.user.view(), protocol::kMaxUserName);
  if (login_kind_ == kLoginForgottenPassword) {
    request.password_field = protocol::forgotten_password_field();
  } else {
    // The link's key schedules serve the encrypted form.
    request.password_field = link_.with_state([&](net::LinkState& state) {
      const bool keyed = net::session_key_present() && net::link_prepare_keys(state);
      return protocol::login_password_field(clear_password(settings_), daemon_version_,
                                            keyed ? state.cipher.get() : nullptr,
                                            protocol::password_filler());
    });
  }
  request.listen_port = listen_socket_ >= 0 ? listen_port_ : shell_state().ports.listen;
  request.domain = trim_login_text(settings_.domain.view(), protocol::kMaxDomain);
  request.version_word = static_cast<std::int32_t>(shell_state().version_word);
  request.computer_name = computer_name();
  protocol::ClientFlagsInput flags;
  flags.slow_connect_level = settings_.effective_slow_connect;
  flags.browser_mode = options.browser_mode;
  flags.net_timeout_ms = net::default_net_timeout();
  if (options.host_type != 0) flags.browser_host_type = options.host_type;
  if (options.overrides.font_mask & kFontOverrideIconSize) flags.icon_size = settings_.icon_size;
  if (options.overrides.font_mask & kFontOverrideFactor) flags.font_factor = settings_.font_factor;
  request.client_flags = protocol::client_flags_word(flags, daemon_version_);
  if (request.client_flags & protocol::kClientNetTimeout)
    request.net_timeout_ms = flags.net_timeout_ms;
  if (request.client_flags & protocol::kClientHostType)
    request.browser_host_type = flags.browser_host_type;
  if (request.client_flags & protocol::kClientIconSize) request.icon_size = flags.icon_size;
  if (request.client_flags & protocol::kClientFontFactor) request.font_factor = flags.font_factor;
  request.print_port = shell_state().print_port;
  request.data_directory = shell_state().directories.data;
  request.install_directory = shell_state().directories.install;
  request.browser_number =
      (options.overrides.mask & kOverrideBrowserNumber) ? options.browser_number : 0;
  request.kind = login_kind_ == kLoginChangePassword      ? protocol::LoginKind::password_change
                 : login_kind_ == kLoginForgottenPassword ? protocol::LoginKind::forgotten_password
                                                          : protocol::LoginKind::normal;
  protocol::Outgoing login = protocol::build_login_request(request);
  std::fill(request.password_field.begin(), request.password_field.end(), 0);

  log_printf("Try Login %s to %s. Port %d. Comp.name %s", request.user.c_str(), host_name_.c_str(),
             request.listen_port, request.computer_name.c_str());
  const int sent = send(login);
  std::fill(login.payload.begin(), login.payload.end(), 0);
  if (sent < 0) {
    const int system_error = send_error_;
    foundation::show_message_number(window_, 0, system_error, "Login", 10038, display_text_.c_str(),
                                    sent, system_error);
    login_failed(sent);
    return;
  }
  log_printf("Wait for login reply");
  phase_ = Phase::AwaitLogin;
  answer_timer_.start(net::default_net_timeout(), this);
}

void ServerConnection::handle_login_reply(const net::LinkMessage& message,
                                          std::span<const std::uint8_t> payload) {
  answer_timer_.stop();
  log_printf(" ... done. Result %d / %d", 1, 0);
  const bool workflow = foundation::workflow_mode();
  if (message.type != net::KWK_KOMOK) {
    protocol::Result<protocol::LoginRefusal> refused = protocol::parse_login_refusal(payload);
    if (!refused) refused = protocol::LoginRefusal{};
    if (refused->reason) foundation::set_workflow_result(300000 + *refused->reason);
    std::string reason = refused->text.value_or(std::string());
    if (reason.empty() && refused->reason) {
      const int r = *refused->reason;
      if (r == 1 || r == 2 || r == 3 || r == 4 || r == 6) reason = message_text(10022 + r);
    }
    if (reason.empty()) {
      char text[64];
      std::snprintf(text, sizeof text, "Kommando %d / %d", message.service, message.type);
      reason = text;
    }
    foundation::show_message_number(window_, 0, 0, "Login", 10022, display_text_.c_str(),
                                    reason.c_str());
    login_failed(-1);
    return;
  }

  protocol::LoginReplyContext context;
  context.workflow_mode = workflow;
  context.running_version = static_cast<std::int32_t>(shell_state().version_word);
  context.update_suppressed = shell_state().options.no_auto_update;
  const protocol::Result<protocol::LoginReply> ok = protocol::parse_login_reply(payload, context);
  if (!ok) {
    foundation::show_message_number(window_, 0, net::kErrorInvalidData, "Login", 10037,
                                    display_text_.c_str(), net::kLinkMalformed,
                                    net::kErrorInvalidData);
    login_failed(net::kLinkMalformed);
    return;
  }
  reply_flags_ = ok->flags.value_or(0);
  if (workflow) {
    daemon_version_ = 0;
  } else if (ok->daemon_version.value_or(0) != 0) {
    daemon_version_ = *ok->daemon_version;
  }
  if (ok->path_ints) host_keeps_slash_ = (*ok->path_ints)[0] != 0;
  if (ok->net_timeout_ms.value_or(0) > link_.net_timeout()) {
    link_.set_net_timeout(*ok->net_timeout_ms);
    net::set_default_net_timeout(*ok->net_timeout_ms);
  }
  if (update_wanted(ok->update_version.value_or(0), static_cast<int>(shell_state().version_word),
                    shell_state().options.no_auto_update, workflow) &&
      begin_update(*ok)) {
    return;
  }
  continue_login_reply(*ok);
}

void ServerConnection::continue_login_reply(const protocol::LoginReply& reply) {
  const protocol::LoginReply* ok = &reply;

  const bool supports_change = reply_flags_ & protocol::kReplyPasswordChange;
  if (supports_change && (reply_flags_ & protocol::kReplyPasswordExpired)) {
    // The daemon demands a new password: it is chosen, sent, and the login ends.
    begin_password_change(false);
    return;
  }
  if (login_kind_ == kLoginChangePassword) {
    if (!supports_change) {
      foundation::show_message_number(window_, 0, 0, "Login", 10065, display_text_.c_str());
      end_password_change();
      return;
    }
    begin_password_change(true);
    return;
  }

  // The daemon asks for another listening port.
  const int requested_port = ok->listen_port.value_or(0);
  if (listen_socket_ >= 0 && requested_port != 0 && requested_port != listen_port_) {
    close_listener();
    if (!open_listener(requested_port, false)) {
      const int error = net::last_socket_error();
      foundation::show_message_number(window_, 0, error, "Login", 10039, host_name_.c_str(),
                                      requested_port, -1, error);
      login_failed(-1);
      return;
    }
  }

  phase_ = Phase::Online;
  login_time_ = std::time(nullptr);
  set_state(kStateConnected);
  log_printf("Select auf Server %d", link_.socket());

  tell_programs_of_login();
  if (!send_after_login()) return;

  if (ok->session_timeout_min.value_or(0) > 0) {
    session_seconds_ = *ok->session_timeout_min * 60;
    session_started_ = std::time(nullptr);
    session_timer_.start(session_seconds_ * 1000, this);
  }
  if (settings_.ping_timer > 0) ping_timer_.start(settings_.ping_timer * 1000, this);

  failed_logins_ = 0;
  password_supplied_ = false;
  if (browser_login_) {
    browser_login_ = false;
    const StartOptions& start = shell_state().options;
    save_browser_login(settings_store(), settings_.host.view(), start.instance_name,
                       static_cast<std::uint32_t>(start.browser_session));
  }
  log_printf("Login ok.");
  refresh_display();
  log_printf("do_login Ende. err=%d", 0);
  emit login_finished(0);
}

void ServerConnection::begin_password_change(bool voluntary) {
  phase_ = Phase::AwaitPasswordInput;
  password_change_voluntary_ = voluntary;
  const int attempt = attempt_;
  auto* dialog = new ChangePasswordDialog(voluntary, settings_.user.str(),
                                          password_rule_level(reply_flags_), window_);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowFlag(Qt::Window);
  QPointer<ServerConnection> self(this);
  connect(dialog, &QDialog::finished, this, [self, dialog, attempt](int result) {
    if (!self || self->attempt_ != attempt || self->phase_ != Phase::AwaitPasswordInput) return;
    if (result != QDialog::Accepted) {
      self->end_password_change();
      return;
    }
    protocol::PasswordChange change;
    change.kind = protocol::kPassChange;
    change.old_password =
        self->password_change_voluntary_ ? dialog->old_password() : clear_password(self->settings_);
    change.new_password = dialog->new_password();
    const int sent = self->send(protocol::build_password_change(change));
    std::fill(change.old_password.begin(), change.old_password.end(), '\0');
    std::fill(change.new_password.begin(), change.new_password.end(), '\0');
    if (sent < 0) {
      const int system_error = self->send_error_;
      foundation::show_message_number(self->window_, 0, system_error, "Login", 10038,
                                      self->display_text_.c_str(), sent, system_error);
      self->end_password_change();
      return;
    }
    self->phase_ = Phase::AwaitPassword;
    self->answer_timer_.start(net::default_net_timeout(), self);
  });
  dialog->open();
}

void ServerConnection::handle_password_answer(const net::LinkMessage& message,
                                              std::span<const std::uint8_t> payload) {
  answer_timer_.stop();
  if (message.type == net::KWK_KOMOK) {
    foundation::show_message_number(window_, 0, 0, "Login", 10206);
  } else {
    const protocol::Result<protocol::PasswordRefusal> refusal =
        protocol::parse_password_refusal(payload);
    const std::string reason = refusal ? refusal->text : std::string();
    foundation::show_message_number(window_, 0, 0, "Login", 10205, display_text_.c_str(),
                                    reason.c_str());
  }
  end_password_change();
}

void ServerConnection::end_password_change() {
  log_printf("%s (%s:%d)",
             password_change_voluntary_ || login_kind_ == kLoginChangePassword
                 ? "do_logout aus Change Password"
                 : "do_logout aus New Password",
             __FILE__, __LINE__);
  send(net::KWK_KLOGOUT, {});
  password_change_voluntary_ = false;
  login_failed(-1);
}

void ServerConnection::tell_programs_of_login() {
  const ServerSessionHooks& hooks = server_session_hooks();
  if (!hooks.logged_in) return;
  const StartOptions& options = shell_state().options;
  const int a_value =
      (options.overrides.mask & kOverridePingTimer) != 0 ? options.overrides.values.ping_timer : 0;
  LoginFacts facts;
  facts.host_name = display_text_;
  facts.keep_alive_seconds = keep_alive_seconds(a_value, settings_.ping_timer, options_word_);
  facts.options_word = options_word_;
  facts.encryption_allowed = settings_.crypted_connection != 0;
  facts.start_delay_seconds = options.start_delay_seconds;
  facts.beeps_on = (settings_.error_level & SettingsRecord::kErrorLevelNoBeeps) == 0;
  facts.slow_connect_level = settings_.effective_slow_connect;
  facts.text_font_name = settings_.text_font_name.str();
  facts.text_font_tenths = settings_.text_font_height;
  facts.prop_font_name = settings_.prop_font_name.str();
  facts.prop_font_tenths = settings_.prop_font_height;
  facts.caret_width = settings_.cursor_width;
  facts.keyboard_layout = settings_.keyboard;
  facts.font_factor = settings_.font_factor;
  facts.no_save_page = settings_.no_save_page;
  facts.daemon_version = daemon_version_;
  facts.host_keeps_slash = host_keeps_slash_;
  hooks.logged_in(facts);
}

bool ServerConnection::send_after_login() {
  auto fail = [this](int sent) {
    const int system_error = send_error_;
    foundation::show_message_number(window_, 0, system_error, "Login", 10038, display_text_.c_str(),
                                    sent, system_error);
    login_failed(sent);
    return false;
  };
  const auto table = std::span<const EnvironmentEntry>(
      settings_.environment.data(),
      static_cast<std::size_t>(std::clamp(settings_.environment_used, 0, kEnvironmentEntries)));
  for (const EnvironmentEntry& entry : table) {
    const std::string value = expand_environment_value(table, entry.value.view(), &entry);
    if (const int sent = send(protocol::build_environment({entry.name.str(), value})); sent < 0) {
      return fail(sent);
    }
  }
  // A macro that records or plays is named to the daemon; a playback reports that it runs.
  if (const MacroState macro = macro_state(); macro.mode != MacroMode::Off) {
    const bool recording = macro.mode == MacroMode::Recording;
    for (const protocol::EnvironmentEntry& entry :
         {protocol::EnvironmentEntry{"HVKOVW_MAKRONAME", macro.name},
          protocol::EnvironmentEntry{"HVKOVW_MAKROFUNK", recording ? "REC" : "PLAY"}}) {
      if (const int sent = send(protocol::build_environment(entry)); sent < 0) return fail(sent);
    }
    if (!recording && daemon_version_ > protocol::kDaemonScriptStatus)
      send(protocol::build_script_status({kMacroStatusExecutingAtLogin, macro.name, "Executing"}));
  }
  const StartOptions& options = shell_state().options;
  if (foundation::workflow_mode()) {
    const std::string command = options.workflow.command.str();
    log_printf("Start Workflow %s", command.c_str());
    if (const int sent = send(protocol::build_workflow_request({command})); sent < 0) {
      return fail(sent);
    }
  } else if (!settings_.start_program.view().empty() && settings_.start_program.view()[0] != ' ') {
    log_printf("Start Program %s %s in %s", settings_.start_program.c_str(),
               settings_.command_line.c_str(), settings_.working_directory.c_str());
    if (const int sent = send(protocol::build_start_request({settings_.start_program.str(),
                                                             settings_.working_directory.str(),
                                                             settings_.command_line.str()}));
        sent < 0) {
      return fail(sent);
    }
  }
  return true;
}

void ServerConnection::login_failed(int error) {
  answer_timer_.stop();
  log_printf("Login failed. err=%d", error);
  close_server_link();
  close_listener();
  phase_ = Phase::Idle;
  display_text_ = message_text(40287);
  set_state(remembered_state_);
  ++failed_logins_;
  password_supplied_ = false;
  browser_login_ = false;
  log_printf("do_login Ende. err=%d", error);
  // The main window shows the login dialog again (or asks the password again).
  emit login_finished(-1);
  end_if_auto_end();
}

int ServerConnection::send(const net::LinkMessage& message, const void* payload) {
  if (std::this_thread::get_id() != gui_thread_) {
    // The frame goes out from the GUI thread, in the order the program threads queue theirs.
    const auto* bytes = static_cast<const std::uint8_t*>(payload);
    std::vector<std::uint8_t> copy;
    if (bytes != nullptr && message.length > 0) copy.assign(bytes, bytes + message.length);
    platform::post_to_gui_thread(
        [this, message, copy = std::move(copy)] {
          if (send(message, copy.empty() ? nullptr : copy.data()) < 0) {
            log_printf("Nachricht %d/%d an den Server nicht gesendet. Fehler %d", message.service,
                       message.type, send_error_);
          }
        },
        this);
    return 0;
  }
  const net::LinkResult result = link_.send(message, payload);
  send_error_ = result.error;
  return result.value;
}

int ServerConnection::send(const protocol::Outgoing& message) {
  return send(message.header(), message.payload.empty() ? nullptr : message.payload.data());
}

int ServerConnection::send(int type, std::span<const std::uint8_t> payload) {
  net::LinkMessage message;
  message.service = net::KWD_KOMM;
  message.type = static_cast<std::uint8_t>(type);
  message.length = static_cast<std::int32_t>(payload.size());
  return send(message, payload.empty() ? nullptr : payload.data());
}

int ServerConnection::do_logout(bool show_dialog) {
  log_printf("%s (%s:%d)", "do_logout Start", __FILE__, __LINE__);
  if (state_ != kStateConnected) {
    log_printf("do_logout Nicht online");
    return 0;
  }
  set_state(kStateDisconnecting);
  // The programs are told to stop first; the GUI thread does not wait for them, and what
  // they still send after the logout goes nowhere.
  if (const auto& stop = server_session_hooks().stop_programs; stop) stop(0);
  int result = 0;
  if (link_.is_open()) {
    if (const MacroState macro = macro_state();
        macro.mode == MacroMode::Playback && daemon_version_ > protocol::kDaemonScriptStatus)
      send(protocol::build_script_status({kMacroStatusLogoutFinished, macro.name, "Finished"}));
    result = send(net::KWK_KLOGOUT, {});
    if (result < 0) {
      const int system_error = send_error_;
      log_printf("Logout failed %d", result);
      foundation::show_message_number(window_, 0, system_error, "Logout", 10038,
                                      display_text_.c_str(), result, system_error);
    } else {
      log_printf("Logout ok");
      result = 0;
    }
  } else {
    // The daemon closed the link: there is nobody left to tell.
    log_printf("Logout ok");
  }
  phase_ = Phase::Idle;
  close_server_link();
  close_listener();
  display_text_ = message_text(40287);
  session_timer_.stop();
  ping_timer_.stop();
  set_state(kStateNotConnected);
  if (show_dialog && !settings_.auto_end && !foundation::workflow_mode() && window_) {
    window_->show_login_dialog();
  }
  log_printf("do_logout Ende");
  return result;
}

void ServerConnection::end_if_auto_end() {
  if (settings_.auto_end || foundation::workflow_mode()) {
    if (window_)
      QTimer::singleShot(0, window_, [w = QPointer<MainWindow>(window_)] {
        if (w) w->end_workstation();
      });
  }
}

void ServerConnection::close_server_link() {
  answer_timer_.stop();
  frame_rest_.stop();
  if (server_notifier_) {
    server_notifier_->setEnabled(false);
    server_notifier_->deleteLater();
    server_notifier_ = nullptr;
  }
  link_.close();
  dispatching_ = false;
  if (fetches_) fetches_->link_lost();
}

bool ServerConnection::open_listener(int port, bool search) {
  int found = port;
  const int socket = net::sc_listen(port, search ? &found : nullptr);
  const int error = socket < 0 ? net::last_socket_error() : 0;
  log_printf("Open Listen Port %d for external connect. Result %d / %d", found, socket, error);
  if (socket < 0) return false;
  listen_socket_ = socket;
  listen_port_ = found;
  listen_notifier_ = new QSocketNotifier(socket, QSocketNotifier::Read, this);
  connect(listen_notifier_, &QSocketNotifier::activated, this, [this] { on_program_accept(); });
  return true;
}

void ServerConnection::close_listener() {
  if (listen_notifier_) {
    listen_notifier_->setEnabled(false);
    listen_notifier_->deleteLater();
    listen_notifier_ = nullptr;
  }
  if (listen_socket_ >= 0) net::sc_close(listen_socket_);
  listen_socket_ = -1;
}

void ServerConnection::on_program_accept() {
  if (listen_socket_ < 0) return;
  std::array<char, 64> name{};
  std::array<int, 4> address{};
  const int socket = net::sc_accna(listen_socket_, name, &address);
  if (socket < 0) {
    const int error = net::last_socket_error();
    if (error == foundation::kWSAEWOULDBLOCK) return;  // the caller went away again
    log_printf("New client failed. %d", socket);
    foundation::show_message_number(window_, 0, error, "Programmstart", 10014, socket, error);
    return;
  }
  net::sc_clwait(socket, net::kOptDontLinger);
  log_printf("New client ok. %s %d.%d.%d.%d", name.data(), address[0], address[1], address[2],
             address[3]);
  NewLink link;
  link.kind = LinkKind::Program;
  link.socket = socket;
  link.peer = name.data();
  link.host_address = "<NULL>";
  link.port = -1;
  link.process_id = "0";
  hand_over_link(std::move(link));
}

void ServerConnection::start_recording() {
  // The command line's directory before the setting's; the program links of the session are
  // recorded into the same directory.
  const std::string& given = shell_state().options.record_directory;
  net::set_recording(given.empty() ? settings_.record_directory.str() : given, version_text());
  std::shared_ptr<net::TraceWriter> recorder =
      net::open_link_recording(net::TraceLinkKind::Server, host_name_, link_.options());
  if (recorder) recorder->set_redactor(protocol::redact_passwords);
  link_.set_recorder(std::move(recorder));
}

void ServerConnection::stop_session_timer() {
  session_timer_.stop();
}

std::uint32_t offered_link_options(bool secure, bool crypted, int verbosity, int browser_mode) {
  std::uint32_t options = 0;
  if (verbosity != 2) {
    if (secure) options |= protocol::kOptionCompression;
    if (crypted) options |= protocol::kOptionEncryption;
  }
  if (browser_mode & 1) options |= protocol::kOptionBrowserMode;
  return options;
}

int remaining_session_seconds(std::time_t started, int length_seconds, std::time_t now) {
  const long long remaining = static_cast<long long>(started) + length_seconds - now;
  if (remaining < 120) return 120;
  return static_cast<int>(std::min<long long>(remaining, length_seconds));
}

void ServerConnection::restart_session_timer() {
  if (session_seconds_ <= 0) return;
  const std::time_t now = std::time(nullptr);
  session_seconds_ = remaining_session_seconds(session_started_, session_seconds_, now);
  session_started_ = now;
  session_timer_.start(session_seconds_ * 1000, this);
}

void ServerConnection::stop_programs_later(int run_id, int delay_seconds) {
  // The delay is a timer: the GUI thread keeps serving meanwhile.
  QTimer::singleShot(std::max(0, delay_seconds) * 1000, this, [this, run_id] {
    // Every program whose host process id equals the run id (all for 0) gets WML_STOP.
    if (const auto& stop = server_session_hooks().stop_programs) stop(run_id);
    if (run_id == 0 && state_ == kStateConnected) {
      log_printf("%s (%s:%d)", "do_logout aus KWK_KSTOP", __FILE__, __LINE__);
      do_logout(true);
      end_if_auto_end();
    }
  });
}

void ServerConnection::connect_back(int type, int port, std::string process_id,
                                    std::vector<std::uint8_t> message_payload) {
  const std::string address = host_address_;
  const std::string display = display_text_;
  const int timeout = net::default_net_timeout();
  QPointer<ServerConnection> self(this);
  std::thread([self, type, port, address, display, timeout, process_id = std::move(process_id),
               message_payload = std::move(message_payload)]() mutable {
    const int socket = net::sc_connect_to(address.c_str(), port, timeout);
    const int error = socket < 0 ? net::last_socket_error() : 0;
    platform::post_to_gui_thread([self, type, port, address, display, socket, error,
                                  process_id = std::move(process_id),
                                  message_payload = std::move(message_payload)]() mutable {
      if (!self) {
        if (socket >= 0) net::sc_close(socket);
        return;
      }
      if (socket < 0) {
        self->connect_back_failed(display, port, socket, error);
        return;
      }
      if (foundation::verbose(foundation::kVerboseGeneral)) {
        log_printf("New Proxy-Client ok. %s(%s)-%d", display.c_str(), address.c_str(), port);
      }
      // The daemon's message identifies the link to the host program: it goes first and
      // unencrypted.
      net::LinkMessage message;
      message.service = net::KWD_KOMM;
      message.type = static_cast<std::uint8_t>(type);
      message.length = static_cast<std::int32_t>(message_payload.size());
      net::LinkState opening = self->link_.options();
      opening.encryption_on = false;
      net::FrameBlock work_buffer;
      net::link_send(socket, opening, work_buffer, message,
                     message_payload.empty() ? nullptr : message_payload.data());
      NewLink link;
      link.kind = type == net::KWK_KPRINT ? LinkKind::Print : LinkKind::Program;
      link.socket = socket;
      link.peer = display;
      link.host_address = address;
      link.port = port;
      link.process_id = process_id;
      link.opening = std::move(message_payload);
      hand_over_link(std::move(link));
    });
  }).detach();
}

void ServerConnection::connect_back_failed(const std::string& display, int port, int result,
                                           int error) {
  if (foundation::unattended() || foundation::workflow_mode()) {
    foundation::show_message_number(window_, 0, error, "Login", 10039, display.c_str(), port,
                                    result, error);
    return;
  }
  // A host that resets every connect-back at once would otherwise open a box per attempt.
  foundation::show_message_number(window_, foundation::kMsgLogOnly, error, "Login", 10039,
                                  display.c_str(), port, result, error);
  const auto now = std::chrono::steady_clock::now();
  if (connect_back_box_open_ ||
      (connect_back_box_closed_ != std::chrono::steady_clock::time_point{} &&
       now - connect_back_box_closed_ < kConnectBackBoxPause)) {
    return;
  }
  connect_back_box_open_ = true;
  QPointer<ServerConnection> self(this);
  foundation::show_message_number(window_, 0, error, "Login", 10039, display.c_str(), port, result,
                                  error);
  if (!self) return;
  connect_back_box_open_ = false;
  connect_back_box_closed_ = std::chrono::steady_clock::now();
}

void ServerConnection::show_info_window(const QString& caption, const QString& text,
                                        int close_after_ms) {
  if (foundation::unattended() || foundation::workflow_mode() || window_ == nullptr) {
    foundation::show_message(window_, foundation::kMsgLogOnly, 0, caption.toUtf8().constData(),
                             "%s", text.toUtf8().constData());
    return;
  }
  auto* box = new QMessageBox(QMessageBox::Information, caption, text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
  if (close_after_ms > 0) {
    QTimer::singleShot(close_after_ms, box, [box] { box->close(); });
  }
}

void ServerConnection::timerEvent(QTimerEvent* event) {
  const int id = event->timerId();
  if (id == answer_timer_.timerId()) {
    answer_timer_.stop();
    if (phase_ == Phase::AwaitConnect || phase_ == Phase::AwaitLogin ||
        phase_ == Phase::AwaitPassword) {
      net::set_last_socket_error(foundation::kWSAETIMEDOUT);
      on_link_failure(net::kScTimeout, foundation::kWSAETIMEDOUT);
    }
  } else if (id == session_timer_.timerId()) {
    session_timer_.stop();
    show_info_window(QStringLiteral("KOVW"), QString::fromUtf8(message_text(40435)), 10000);
    log_printf("%s (%s:%d)", "do_logout aus ID_TIMEOUT", __FILE__, __LINE__);
    do_logout(true);
    end_if_auto_end();
  } else if (id == frame_rest_.timerId()) {
    frame_rest_.stop();
    if (link_.is_open() && link_.frame_started())
      on_link_failure(net::kScTimeout, net::kErrorWaitTimeout);
  } else if (id == ping_timer_.timerId()) {
    send(net::KWK_KPING, {});
  } else {
    QObject::timerEvent(event);
  }
}

}  // namespace kovw::shell
