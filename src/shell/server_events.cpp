#include "shell/server_events.h"

#include "shell/fetch_service.h"
#include "shell/file_cache.h"
#include "shell/macro_requests.h"
#include "shell/macro_start.h"
#include "shell/sound_player.h"
#include "shell/startup.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QString>
#include <atomic>
#include <string>

#include "foundation/host_text.h"
#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/show_message.h"
#include "foundation/verbose.h"
#include "foundation/workflow_state.h"
#include "net/link_names.h"
#include "protocol/server_messages.h"
#include "shell/main_window.h"
#include "shell/server_connection.h"
#include "shell/server_session_hooks.h"
#include "shell/server_texts.h"

namespace kovw::shell {
namespace {

using foundation::log_printf;
using foundation::message_text;

bool verbose_general() {
  return foundation::verbose(foundation::kVerboseGeneral);
}

std::string format_text(const char* format, const std::string& value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, value.c_str());
  return buffer;
}

void on_start_reply(ServerConnection& c, int type, std::span<const std::uint8_t> payload) {
  const protocol::Result<protocol::StartReply> reply = protocol::parse_start_reply(type, payload);
  if (!reply) return;
  const std::string error_text = reply->error_text.value_or(std::string());
  if (reply->error != 0) {
    const std::string directory =
        reply->directory ? *reply->directory : c.settings().working_directory.str();
    foundation::show_message_number(c.window(), 0, 0, "Kommunikation", 10036,
                                    reply->program.c_str(), directory.c_str(), reply->error,
                                    error_text.c_str());
    if (type == net::KWK_KWORKFLOW) foundation::set_workflow_result(300000 + reply->error);
    if (type != net::KWK_KEXEC) {
      log_printf("%s (%s:%d)", "do_logout aus KSTART/KWORKFLOW", __FILE__, __LINE__);
      c.do_logout(false);
      c.end_if_auto_end();
    }
  }
  if (verbose_general()) {
    log_printf("New Program. Runid=%d, Err=%d/%s", reply->run_id, reply->error, error_text.c_str());
  }
}

void on_illegal_data(ServerConnection& c, std::size_t length) {
  static std::atomic<int> reported{0};
  if (reported.fetch_add(1) != 0) return;
  foundation::show_message(c.window(), 0, 0, "KWK_KDATA", "Illegal File Transfer Data, %d Bytes",
                           static_cast<int>(length));
}

void on_program_end(ServerConnection& c, std::span<const std::uint8_t> payload) {
  const protocol::Result<protocol::ProgramEnded> end = protocol::parse_program_ended(payload);
  if (!end) return;
  const std::string program = end->program.value_or(std::string());
  if (end->status != 0) {
    const bool abnormal = end->abnormal();
    std::string third;
    if (abnormal && end->core_dumped()) third = std::string(message_text(10016)).substr(0, 80);
    foundation::show_message_number(c.window(), 0, 0, "Kommunikation", 10032, program.c_str(),
                                    end->status, message_text(abnormal ? 10034 : 10033),
                                    abnormal ? end->signal() : end->exit_code(), third.c_str());
  }
  if (verbose_general()) {
    log_printf("Program finished. Runid=%d, Err=%d/%s", end->run_id, end->status, program.c_str());
  }
}

void on_daemon_end(ServerConnection& c) {
  log_printf("Connection shut down request by host");
  foundation::show_message_number(c.window(), 0, 0, "Login", 10029, c.display_text().c_str(), 0,
                                  "KWK_KKOVDE");
  log_printf("%s (%s:%d)", "do_logout aus KWK_KKOVDE", __FILE__, __LINE__);
  c.do_logout(true);
  c.end_if_auto_end();
}

void on_new_link(ServerConnection& c, int type, std::span<const std::uint8_t> payload) {
  const protocol::Result<protocol::ProxyEvent> proxy = protocol::parse_proxy_event(type, payload);
  if (!proxy) return;
  c.connect_back(type, proxy->port, proxy->pid_text,
                 std::vector<std::uint8_t>(payload.begin(), payload.end()));
}

void on_info_message(ServerConnection& c, std::span<const std::uint8_t> payload) {
  const protocol::Result<protocol::HostMessage> message = protocol::parse_host_message(payload);
  if (!message) return;
  const std::string caption = format_text(message_text(40433), c.display_text());
  const std::string text = caption + "\r\n" + trim_message_text(message->text, 1020);
  if (message->sound_file && !message->sound_file->empty()) {
    // The shell's own files: any copy in the cache is current (stamp 0).
    fetch_cached_async(shell_state().directories.data, *message->sound_file, {}, 0,
                       kInternalCacheGroup, [](const std::string& path, const std::string& error) {
                         if (path.empty())
                           log_printf("Info-Meldung: Klang nicht geholt: %s", error.c_str());
                         else
                           play_sound_file(path);
                       });
  }
  c.show_info_window(QString::fromStdU16String(foundation::host_to_wide(caption)),
                     QString::fromStdU16String(foundation::host_to_wide(text)), 0);
}

void on_alarm(ServerConnection& c, std::span<const std::uint8_t> payload) {
  const protocol::Result<protocol::HostAlarm> alarm = protocol::parse_host_alarm(payload);
  if (!alarm) return;
  const std::string text = c.display_text() + ": " + trim_message_text(alarm->text, 1024);
  const std::string caption = format_text(message_text(40434), c.display_text());
  if (verbose_general()) log_printf("Alarmmeldung. %s", text.c_str());
  // The first program shows the alarm in its window; without programs the shell shows it.
  if (const auto& show = server_session_hooks().show_urgent_message;
      show && show(caption, text) > 0)
    return;
  foundation::show_message(c.window(), 0, 0, caption.c_str(), "%s", text.c_str());
}

// The macro requests of this connection, made on first use.
MacroRequests& macro_requests_of(ServerConnection& c) {
  if (auto* existing = c.findChild<MacroRequests*>("macro_requests", Qt::FindDirectChildrenOnly))
    return *existing;
  MacroRequestPort port;
  port.data_directory = shell_state().directories.data;
  port.send_status = [connection =
                          QPointer<ServerConnection>(&c)](const protocol::ScriptStatus& status) {
    if (connection && connection->state() == kStateConnected &&
        connection->daemon_version() > protocol::kDaemonScriptStatus)
      connection->send(protocol::build_script_status(status));
  };
  port.fetch = [connection = QPointer<ServerConnection>(&c)](
                   FetchJob job, std::function<void(FetchOutcome)> done) {
    if (!connection || connection->fetches() == nullptr) {
      FetchOutcome failed;
      failed.error = "keine Verbindung";
      done(failed);
      return;
    }
    connection->fetches()->submit(std::move(job), std::move(done));
  };
  port.start_workstation = start_macro_workstation;
  port.show_info = [connection = QPointer<ServerConnection>(&c)](const std::string& text) {
    show_macro_info(connection ? connection->window() : nullptr, text);
  };
  port.random_pause_ms = [] { return QRandomGenerator::global()->bounded(5000, 10001); };
  auto* requests = new MacroRequests(std::move(port), &c);
  requests->setObjectName("macro_requests");
  return *requests;
}

}  // namespace

void dispatch_server_event(ServerConnection& c, const net::LinkMessage& message,
                           std::span<const std::uint8_t> payload) {
  if (message.service != net::KWD_KOMM) return;
  const int type = message.type;
  switch (type) {
    case net::KWK_KSTART:
    case net::KWK_KWORKFLOW:
    case net::KWK_KEXEC:
      on_start_reply(c, type, payload);
      break;
    case net::KWK_KDATA:
      on_illegal_data(c, payload.size());
      break;
    case net::KWK_KEND:
      on_program_end(c, payload);
      break;
    case net::KWK_KKOVDE:
      on_daemon_end(c);
      break;
    case net::KWK_KPROXY:
    case net::KWK_KPRINT:
      on_new_link(c, type, payload);
      break;
    case net::KWK_KMESSAGE:
      on_info_message(c, payload);
      break;
    case net::KWK_KALARM:
      on_alarm(c, payload);
      break;
    case net::KWK_KSTOP:
      if (const auto stop = protocol::parse_stop_request(payload)) {
        c.stop_programs_later(stop->run_id.value_or(0), stop->delay_seconds.value_or(0));
      }
      break;
    case net::KWK_KCFLAG:
      if (const auto flag = protocol::parse_session_flag(payload)) {
        if (flag->mode == protocol::kCflagStopTimeout) c.stop_session_timer();
        if (flag->mode == protocol::kCflagRestartTimeout) c.restart_session_timer();
      }
      break;
    case protocol::kTypeMacroFile:
    case protocol::kTypeMacroStart:
    case protocol::kTypeMacroDelete:
    case protocol::kTypeScriptAbort:
      macro_requests_of(c).handle(type, payload);
      break;
    case net::KWK_KPING:
      c.send(type, payload);  // echoed unchanged
      break;
    default:
      break;
  }
}

}  // namespace kovw::shell
