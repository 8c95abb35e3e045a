#include "shell/server_events.h"

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
#include "shell/main_window.h"
#include "shell/server_connection.h"
#include "shell/server_messages.h"

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
  std::optional<StartReply> reply = parse_start_reply(payload);
  if (!reply) return;
  if (reply->error != 0) {
    const std::string directory =
        reply->has_directory ? reply->directory : c.settings().working_directory.str();
    foundation::show_message_number(c.window(), 0, 0, "Kommunikation", 10036,
                                    reply->program.c_str(), directory.c_str(), reply->error,
                                    reply->error_text.c_str());
    if (type == net::KWK_KWORKFLOW) foundation::set_workflow_result(300000 + reply->error);
    if (type != net::KWK_KEXEC) {
      log_printf("%s (%s:%d)", "do_logout aus KSTART/KWORKFLOW", __FILE__, __LINE__);
      c.do_logout(false);
      c.end_if_auto_end();
    }
  }
  if (verbose_general()) {
    log_printf("New Program. Runid=%d, Err=%d/%s", reply->run_id, reply->error,
               reply->error_text.c_str());
  }
}

void on_illegal_data(ServerConnection& c, std::size_t length) {
  static std::atomic<int> reported{0};
  if (reported.fetch_add(1) != 0) return;
  foundation::show_message(c.window(), 0, 0, "KWK_KDATA", "Illegal File Transfer Data, %d Bytes",
                           static_cast<int>(length));
}

void on_program_end(ServerConnection& c, std::span<const std::uint8_t> payload) {
  std::optional<ProgramEnd> end = parse_program_end(payload);
  if (!end) return;
  if (end->status != 0) {
    const EndStatus decoded = decode_end_status(end->status);
    std::string third;
    if (decoded.abnormal && decoded.core) third = std::string(message_text(10016)).substr(0, 80);
    foundation::show_message_number(c.window(), 0, 0, "Kommunikation", 10032, end->program.c_str(),
                                    end->status, message_text(decoded.abnormal ? 10034 : 10033),
                                    decoded.number, third.c_str());
  }
  if (verbose_general()) {
    log_printf("Program finished. Runid=%d, Err=%d/%s", end->run_id, end->status,
               end->program.c_str());
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
  std::optional<ProxyRequest> proxy = parse_proxy(payload);
  if (!proxy) return;
  c.connect_back(type, proxy->port, proxy->process_id,
                 std::vector<std::uint8_t>(payload.begin(), payload.end()));
}

void on_info_message(ServerConnection& c, std::span<const std::uint8_t> payload) {
  std::optional<InfoMessage> message = parse_info_message(payload);
  if (!message) return;
  const std::string caption = format_text(message_text(40433), c.display_text());
  const std::string text = caption + "\r\n" + trim_message_text(message->text, 1020);
  if (!message->sound.empty()) {
    log_printf("Info-Meldung: Klang %s wird nicht abgespielt (kein Cache)", message->sound.c_str());
  }
  c.show_info_window(QString::fromStdU16String(foundation::host_to_wide(caption)),
                     QString::fromStdU16String(foundation::host_to_wide(text)), 0);
}

void on_alarm(ServerConnection& c, std::span<const std::uint8_t> payload) {
  std::optional<std::string> message = parse_alarm(payload);
  if (!message) return;
  const std::string text = c.display_text() + ": " + trim_message_text(*message, 1024);
  const std::string caption = format_text(message_text(40434), c.display_text());
  if (verbose_general()) log_printf("Alarmmeldung. %s", text.c_str());
  // Once program sessions exist, the first program shows the alarm in its window.
  foundation::show_message(c.window(), 0, 0, caption.c_str(), "%s", text.c_str());
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
      if (std::optional<StopRequest> stop = parse_stop(payload)) {
        c.stop_programs_later(stop->run_id, stop->delay_seconds);
      }
      break;
    case net::KWK_KCFLAG:
      if (std::optional<int> mode = parse_timer_control(payload)) {
        if (*mode == 2) c.stop_session_timer();
        if (*mode == 3) c.restart_session_timer();
      }
      break;
    case 62:
    case 63:
    case 64:
    case 66:
      log_printf("Makro-Anforderung %d: Makros nicht verfügbar", type);
      break;
    case net::KWK_KPING:
      c.send(type, payload);  // echoed unchanged
      break;
    default:
      break;
  }
}

}  // namespace kovw::shell
