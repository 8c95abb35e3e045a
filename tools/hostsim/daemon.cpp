#include "daemon.h"

#include "file_server.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "net/datagram.h"
#include "net/frame_reader.h"
#include "net/last_socket_error.h"
#include "net/link_io.h"
#include "net/link_state.h"
#include "net/session_key.h"
#include "net/tcp_socket.h"
#include "net/twofish_cipher.h"
#include "protocol/server_messages.h"

namespace hostsim {

namespace proto = kovw::protocol;
namespace net = kovw::net;
using Clock = std::chrono::steady_clock;

volatile int Daemon::stop_requested = 0;

namespace {

constexpr int kPollSliceMs = 100;

proto::Value16 random_value() {
  static std::random_device device;
  proto::Value16 v{};
  for (auto& b : v) b = static_cast<std::uint8_t>(device());
  return v;
}

// The reason texts of the refusal codes, for the log.
const char* refusal_name(int reason) {
  switch (reason) {
    case 1:
      return "wrong password";
    case 2:
      return "user unknown";
    case 3:
      return "superuser not allowed";
    default:
      return "refused";
  }
}

}  // namespace

Daemon::Daemon(Options options, std::vector<ScriptAction> script,
               std::shared_ptr<const HostScript> start_program, std::FILE* log)
    : options_(std::move(options)),
      script_(std::move(script)),
      log_(log),
      start_program_(std::move(start_program)) {}

Daemon::~Daemon() {
  if (listen_socket_ >= 0) net::sc_close(listen_socket_);
  if (search_socket_ >= 0) net::uc_close(search_socket_);
}

void Daemon::log_line(const std::string& line) {
  // Host programs log from their own threads.
  std::lock_guard lock(log_mutex_);
  std::fprintf(log_, "%s\n", line.c_str());
  std::fflush(log_);
}

bool Daemon::open() {
  net::uc_set_receive_wait(200);
  const bool any_port = options_.base_port == 0;
  // With a free port chosen by the system, try a few until the datagram port below it is free
  // too, so that the host search works on every instance.
  for (int attempt = 0; attempt < (any_port ? 20 : 1); ++attempt) {
    int bound = 0;
    const int wanted = any_port ? 0 : options_.base_port + 1;
    const int socket = net::sc_listen(wanted, &bound);
    if (socket < 0 || (!any_port && bound != wanted) || bound < 2) {
      if (socket >= 0) net::sc_close(socket);
      std::fprintf(stderr, "hostsim: cannot listen on port %d (error %d)\n", wanted,
                   net::last_socket_error());
      return false;
    }
    search_socket_ = net::uc_open(bound - 1, true);
    if (search_socket_ < 0 && any_port) {
      net::sc_close(socket);
      continue;
    }
    listen_socket_ = socket;
    link_port_ = bound;
    base_port_ = bound - 1;
    // On standard error: the first line of standard output is always the "listening" line.
    if (search_socket_ < 0)
      std::fprintf(stderr, "hostsim: host search off: cannot open datagram port %d\n", base_port_);
    return true;
  }
  std::fprintf(stderr, "hostsim: found no free pair of ports\n");
  return false;
}

bool Daemon::send(int socket, const proto::Outgoing& message) {
  const int rc = proto::send_message(socket, message);
  log_line("send " +
           proto::describe_server_message(message.type, message.payload, /*from_daemon=*/true) +
           (rc < 0 ? " FAILED " + std::to_string(rc) : ""));
  return rc >= 0;
}

void Daemon::answer_host_search() {
  std::uint8_t buffer[600];
  net::DatagramAddress sender;
  const int n = net::uc_recv(search_socket_, buffer, sizeof buffer, &sender, 2);
  if (n < 0) return;
  char from[32];
  std::snprintf(from, sizeof from, "%d.%d.%d.%d:%d", sender.ip[0], sender.ip[1], sender.ip[2],
                sender.ip[3], sender.port);
  if (!proto::is_host_query({buffer, static_cast<std::size_t>(n)})) {
    log_line(std::string("search: unknown datagram from ") + from);
    return;
  }
  proto::HostAnswer answer;
  answer.host_name = options_.host_name;
  net::DatagramAddress own;
  if (!options_.address.empty()) {
    answer.address = options_.address;
  } else if (net::uc_host_address(nullptr, &own) == 0) {
    char text[20];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", own.ip[0], own.ip[1], own.ip[2], own.ip[3]);
    answer.address = text;
  } else {
    answer.address = "127.0.0.1";
  }
  answer.port = link_port_;
  if (options_.load >= 0) answer.load = options_.load;
  const auto datagram = proto::build_host_answer(answer);
  net::uc_send(search_socket_, datagram.data(), static_cast<int>(datagram.size()), sender, 2);
  log_line(std::string("search from ") + from + ": answered " + answer.host_name + " " +
           answer.address + " " + std::to_string(link_port_));
}

int Daemon::run() {
  while (!stop_requested) {
    pollfd fds[2] = {{listen_socket_, POLLIN, 0}, {search_socket_, POLLIN, 0}};
    const int count = search_socket_ >= 0 ? 2 : 1;
    if (::poll(fds, count, kPollSliceMs) <= 0) continue;
    if (count == 2 && (fds[1].revents & POLLIN)) answer_host_search();
    if (fds[0].revents & POLLIN) {
      std::array<char, 64> name{};
      const int socket = net::sc_accna(listen_socket_, name, nullptr);
      if (socket < 0) continue;
      log_line(std::string("link from ") + name.data());
      const bool logged_in = run_session(socket);
      net::sc_close(socket);
      log_line("link closed");
      if (logged_in && options_.exit_after_logout) break;
    }
  }
  return 0;
}

bool Daemon::run_session(int socket) {
  const bool logged_in = serve_session(socket);
  stop_programs();
  return logged_in;
}

void Daemon::stop_programs() {
  programs_stop_ = true;
  for (Running& program : programs_) program.thread.join();
  programs_.clear();
  for (std::thread& job : print_jobs_) job.join();
  print_jobs_.clear();
  ended_.clear();
  programs_stop_ = false;
}

bool Daemon::launch_program(int socket, std::shared_ptr<const HostScript> script, int run_id) {
  int port = 0;
  const int listener = net::sc_listen(0, &port);
  if (listener < 0) {
    log_line("program " + std::to_string(run_id) + ": cannot listen (error " +
             std::to_string(net::last_socket_error()) + ")");
    std::lock_guard lock(ended_mutex_);
    ended_.push_back(run_id);
    return true;
  }
  log_line("program " + std::to_string(run_id) + ": " + script->name + " listening on port " +
           std::to_string(port));
  Running running;
  running.run_id = run_id;
  running.name = script->name;
  running.thread = std::thread([this, script, run_id, listener] {
    run_host_program(*script, run_id, listener, programs_stop_,
                     [this](const std::string& line) { log_line(line); });
    std::lock_guard lock(ended_mutex_);
    ended_.push_back(run_id);
  });
  programs_.push_back(std::move(running));
  return send(socket, proto::build_proxy_event({net::KWK_KPROXY, port, std::to_string(run_id)}));
}

bool Daemon::launch_print_job(int socket, std::shared_ptr<const PrintJobSpec> job, int run_id) {
  if (job->to_print_port) {
    if (workstation_print_port_ <= 0) {
      log_line("print " + std::to_string(run_id) + ": the workstation has no print port");
      return true;
    }
    ++print_jobs_running_;
    print_jobs_.emplace_back(
        [this, job, run_id, host = workstation_address_, port = workstation_print_port_] {
          run_print_job_to_port(*job, run_id, host, port, programs_stop_,
                                [this](const std::string& line) { log_line(line); });
          --print_jobs_running_;
        });
    return true;
  }
  int port = 0;
  const int listener = net::sc_listen(0, &port);
  if (listener < 0) {
    log_line("print " + std::to_string(run_id) + ": cannot listen (error " +
             std::to_string(net::last_socket_error()) + ")");
    return true;
  }
  log_line("print " + std::to_string(run_id) + ": " + job->name + " listening on port " +
           std::to_string(port));
  ++print_jobs_running_;
  print_jobs_.emplace_back([this, job, run_id, listener] {
    run_print_job(*job, run_id, listener, programs_stop_,
                  [this](const std::string& line) { log_line(line); });
    --print_jobs_running_;
  });
  return send(socket, proto::build_proxy_event({net::KWK_KPRINT, port, std::to_string(run_id)}));
}

bool Daemon::report_ended_programs(int socket) {
  std::vector<int> ended;
  {
    std::lock_guard lock(ended_mutex_);
    ended.swap(ended_);
  }
  for (const int run_id : ended) {
    std::string name;
    for (auto it = programs_.begin(); it != programs_.end(); ++it) {
      if (it->run_id != run_id) continue;
      name = it->name;
      it->thread.join();
      programs_.erase(it);
      break;
    }
    if (!send(socket, proto::build_program_ended({run_id, 0, name}))) return false;
  }
  return true;
}

bool Daemon::serve_session(int socket) {
  // Every link starts plain: no key, no options.
  net::link_set_session_key(nullptr, nullptr);
  net::link_set_options(0, false, false);
  net::FrameReader reader(socket);
  net::LinkMessage message;

  auto receive = [&]() -> int {
    const int rc = net::link_receive(socket, message, reader, net::kSkipKeepAlive);
    if (rc == 1) {
      log_line("recv " + proto::describe_server_message(message.type, reader.payload_view(),
                                                        /*from_daemon=*/false));
    } else if (rc == 0) {
      log_line("peer closed");
    } else {
      log_line("receive failed " + std::to_string(rc) + "/" +
               std::to_string(net::last_socket_error()));
    }
    return rc;
  };

  // Connection request and reply.
  if (receive() != 1) return false;
  net::TwofishCipher password_cipher;
  if (message.type == net::KWK_KSDATEI && proto::is_connect_request(reader.payload_view())) {
    const auto request = proto::parse_connect_request(reader.payload_view());
    if (!request) return false;
    if (options_.close_at == "connect") return false;
    if (options_.old_daemon) {
      if (!send(socket, proto::build_empty(net::KWK_KOMOK))) return false;
    } else {
      std::uint32_t negotiated = static_cast<std::uint32_t>(options_.header_level) & 0xff;
      if (options_.compression && (request->offered_options & proto::kOptionCompression))
        negotiated |= proto::kOptionCompression;
      if (options_.encryption && (request->offered_options & proto::kOptionEncryption))
        negotiated |= proto::kOptionEncryption;
      negotiated = proto::effective_options(negotiated, options_.daemon_version);
      proto::ConnectReply reply;
      reply.host_name = options_.host_name;
      reply.daemon_version = options_.daemon_version;
      reply.server_value = random_value();
      reply.options = negotiated;
      reply.path_ints = std::array<std::int32_t, 4>{1, 0, 0, 0};
      if (!send(socket, proto::build_connect_reply(reply))) return false;
      net::link_set_session_key(request->client_value.data(), reply.server_value.data());
      const auto key =
          net::derive_session_key(request->client_value.data(), reply.server_value.data());
      password_cipher.set_key(key.data(), key.size());
      net::link_set_options(negotiated, false, true);
    }
    if (receive() != 1) return false;
  }

  // Login.
  if (message.type != net::KWK_KLOGIN) {
    log_line("expected KWK_KLOGIN");
    return false;
  }
  const auto login = proto::parse_login_request(reader.payload_view());
  if (!login) return false;
  workstation_print_port_ = login->print_port;
  char peer[32] = {};
  workstation_address_ = net::sc_addr(socket, 2, peer, nullptr) == 2 ? peer : "127.0.0.1";
  if (options_.close_at == "login") return false;
  const auto password = proto::decode_password_field(
      login->password_field, password_cipher.prepared() ? &password_cipher : nullptr);
  proto::LoginRefusal refusal;
  const auto account = options_.users.find(login->user);
  if (options_.refuse_reason) {
    refusal.reason = *options_.refuse_reason;
  } else if (!password) {
    log_line("password field: " + password.error().message);
    refusal.reason = 1;
  } else if (login->user == "root") {
    refusal.reason = 3;
  } else if (account == options_.users.end()) {
    refusal.reason = 2;
  } else if (login->kind != proto::LoginKind::forgotten_password &&
             *password != account->second.password) {
    refusal.reason = 1;
  }
  if (refusal.reason) {
    if (!options_.refuse_text.empty()) refusal.text = options_.refuse_text;
    log_line(std::string("login of \"") + login->user +
             "\" refused: " + refusal_name(*refusal.reason));
    send(socket, proto::build_login_refusal(refusal));
    return true;
  }
  proto::LoginReply reply;
  reply.flags = options_.reply_flags;
  reply.listen_port = options_.listen_port_request;
  std::vector<std::uint8_t> updater;
  if (!options_.update_file.empty()) {
    std::ifstream file(options_.update_file, std::ios::binary);
    updater.assign(std::istreambuf_iterator<char>(file), {});
  }
  reply.update_version = options_.update_version;
  reply.update_size =
      static_cast<std::int32_t>(options_.update_version == 0 ? 0
                                : options_.update_size >= 0  ? options_.update_size
                                                             : static_cast<long>(updater.size()));
  reply.daemon_version = options_.daemon_version;
  reply.session_timeout_min = options_.session_timeout_min;
  reply.path_ints = std::array<std::int32_t, 4>{1, 0, 0, 0};
  reply.name_text = options_.host_name;
  if (!send(socket, proto::build_login_reply(reply))) return true;
  log_line(std::string("login of \"") + login->user + "\" accepted");

  // The session: frames from the workstation, the start program and the script.
  struct Timed {
    Clock::time_point when;
    proto::Outgoing message;
  };
  std::vector<Timed> pending;
  std::size_t next_action = 0;
  Clock::time_point script_wake = Clock::now();
  Clock::time_point print_wait_until{};  // wait-print: until the print jobs ended or then
  int awaited_type = -1;
  int pings_awaiting_echo = 0;  // daemon pings whose echo has not arrived yet

  while (!stop_requested) {
    // Run what is due.
    const auto now = Clock::now();
    for (auto it = pending.begin(); it != pending.end();) {
      if (it->when <= now) {
        if (!send(socket, it->message)) return true;
        it = pending.erase(it);
      } else {
        ++it;
      }
    }
    if (print_wait_until != Clock::time_point{} &&
        (print_jobs_running_ == 0 || Clock::now() >= print_wait_until)) {
      if (print_jobs_running_ != 0) log_line("wait-print: print jobs still running");
      print_wait_until = {};
    }
    while (awaited_type < 0 && print_wait_until == Clock::time_point{} &&
           next_action < script_.size() && script_wake <= Clock::now()) {
      const ScriptAction& action = script_[next_action++];
      log_line("script: " + action.text);
      switch (action.kind) {
        case ScriptAction::Kind::send:
          if (!send(socket, action.message)) return true;
          if (action.message.type == net::KWK_KPING) ++pings_awaiting_echo;
          break;
        case ScriptAction::Kind::sleep:
          script_wake = Clock::now() + std::chrono::milliseconds(action.milliseconds);
          break;
        case ScriptAction::Kind::wait_for:
          awaited_type = action.type;
          break;
        case ScriptAction::Kind::close:
          return true;
        case ScriptAction::Kind::program:
          if (!launch_program(socket, action.program, next_run_id_++)) return true;
          break;
        case ScriptAction::Kind::print:
          if (!launch_print_job(socket, action.print_job, next_run_id_++)) return true;
          break;
        case ScriptAction::Kind::wait_print:
          print_wait_until = Clock::now() + std::chrono::milliseconds(action.milliseconds);
          break;
      }
    }

    if (!report_ended_programs(socket)) return true;

    pollfd fd{socket, POLLIN, 0};
    if (::poll(&fd, 1, kPollSliceMs / 5) <= 0) continue;
    if (receive() != 1) return true;
    const auto payload = reader.payload_view();
    if (message.type == awaited_type) awaited_type = -1;
    switch (message.type) {
      case net::KWK_KPING:
        // The workstation sends every daemon ping back. A ping that may be such an echo is not
        // answered, or the two ends would bounce one ping between them for ever.
        if (pings_awaiting_echo > 0) {
          --pings_awaiting_echo;
        } else {
          if (!send(socket, proto::build_empty(net::KWK_KPING))) return true;
          ++pings_awaiting_echo;
        }
        break;
      case net::KWK_KLOGOUT:
        return true;
      case net::KWK_KSTART:
      case net::KWK_KWORKFLOW:
      case net::KWK_KEXEC: {
        proto::StartReply start;
        start.type = message.type;
        start.error = options_.start_error;
        start.run_id = options_.start_error ? 0 : next_run_id_++;
        if (message.type == net::KWK_KWORKFLOW) {
          const auto r = proto::parse_workflow_request(payload);
          start.program = r ? r->command : "";
        } else if (message.type == net::KWK_KSTART) {
          const auto r = proto::parse_start_request(payload);
          start.program = r ? r->program : "";
        } else {
          start.program = "HW/p/hvrsh";
        }
        if (start.error) {
          start.directory = "/";
          start.error_text = "start refused by hostsim";
        }
        if (!send(socket, proto::build_start_reply(start))) return true;
        if (!start.error && start_program_) {
          if (!launch_program(socket, start_program_, start.run_id)) return true;
        } else if (!start.error) {
          proto::ProgramEnded ended{start.run_id, options_.start_status, start.program};
          pending.push_back({Clock::now() + std::chrono::milliseconds(options_.start_run_time_ms),
                             proto::build_program_ended(ended)});
        }
        break;
      }
      case net::KWK_KPASS:
        if (!send(socket, proto::build_empty(net::KWK_KOMOK))) return true;
        break;
      case net::KWK_KUPDATE:
        if (options_.update_version != 0 && !options_.update_refuse) {
          // The updater in data frames, then the end of the transfer.
          constexpr std::size_t kChunk = 8192;
          std::size_t sent = 0;
          while (sent < updater.size()) {
            std::size_t count = std::min(kChunk, updater.size() - sent);
            const bool breaks =
                options_.update_break_after >= 0 &&
                sent + count >= static_cast<std::size_t>(options_.update_break_after);
            if (breaks) count = static_cast<std::size_t>(options_.update_break_after) - sent;
            proto::Outgoing data{net::KWD_KOMM,
                                 net::KWK_KDATA,
                                 {updater.begin() + static_cast<std::ptrdiff_t>(sent),
                                  updater.begin() + static_cast<std::ptrdiff_t>(sent + count)}};
            if (count > 0 && !send(socket, data)) return true;
            sent += count;
            if (breaks) {
              log_line("update: link closed after " + std::to_string(sent) + " bytes");
              return true;
            }
          }
          log_line("update: sent " + std::to_string(sent) + " bytes");
          if (!send(socket, proto::build_empty(net::KWK_KOMOK))) return true;
          break;
        }
        if (!send(socket, proto::build_empty(net::KWK_KOMFAIL))) return true;
        break;
      case net::KWK_KSDATEI:
      case net::KWK_KSKOVW:
        if (!serve_fetch(
                options_.files_directory, options_.daemon_version, message.type, payload,
                [&](const proto::Outgoing& out) { return send(socket, out); },
                [&](const std::string& line) { log_line(line); }))
          return true;
        break;
      default:
        break;
    }
  }
  return true;
}

}  // namespace hostsim
