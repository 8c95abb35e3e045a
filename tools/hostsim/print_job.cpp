#include "print_job.h"

#include "accept_link.h"

#include <sys/socket.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_names.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"
#include "print/job_records.h"
#include "protocol/program/start_messages.h"
#include "protocol/server_messages.h"

namespace hostsim {

namespace net = kovw::net;
namespace print = kovw::print;
namespace proto = kovw::protocol;

namespace {

constexpr int kAcceptWaitMs = 10000;
constexpr int kStatusWaitMs = 120000;  // printing a long job takes its time

}  // namespace

std::optional<PrintJobSpec> load_print_job(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  PrintJobSpec job;
  job.name = path;
  job.data.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return job;
}

std::string describe_status_record(const std::uint8_t* record, bool direct_acceptance) {
  const print::StatusReport report = print::parse_status_record(
      std::span<const std::uint8_t, print::kStatusRecordSize>(record, print::kStatusRecordSize));
  const std::string text(reinterpret_cast<const char*>(record) + 1,
                         std::min<std::size_t>(report.text.size(), print::kStatusTextMax));
  const std::size_t zero = text.find('\0');
  std::string line = "status " + std::to_string(report.code) + " \"" + text.substr(0, zero) + "\"";
  if (direct_acceptance && zero != std::string::npos && zero + 6 < print::kStatusTextMax) {
    const std::uint8_t* v = record + 1 + zero + 1;
    char version[40];
    std::snprintf(version, sizeof version, " version=0x%02X%02X%02X%02X flag=%d", v[0], v[1], v[2],
                  v[3], v[4]);
    const char* computer = reinterpret_cast<const char*>(v + 5);
    line += version + std::string(" computer=\"") +
            std::string(computer, ::strnlen(computer, print::kStatusTextMax - zero - 6)) + "\"";
  }
  return line;
}

namespace {

// Sends the job on `socket` (closed here) and logs what comes back.
void serve_print_job(const PrintJobSpec& job, int run_id, int socket, const std::string& me,
                     const std::atomic<bool>& stop, const LogLine& log) {
  net::FrameReader reader(socket);
  net::LinkMessage message;

  auto send_bytes = [&](const std::vector<std::uint8_t>& bytes) {
    return net::sc_send(socket, static_cast<int>(bytes.size()), bytes.data(), 10000) >= 0;
  };
  auto read_status = [&](bool direct_acceptance) {
    std::uint8_t record[print::kStatusRecordSize];
    const int n = net::sc_recv(socket, sizeof record, record, net::kRecvExact, kStatusWaitMs);
    if (n != static_cast<int>(sizeof record)) {
      log(me +
          (n == 0 ? std::string("peer closed") : "no status record (" + std::to_string(n) + ")"));
      return -1;
    }
    log(me + describe_status_record(record, direct_acceptance));
    return record[0] - '0';
  };

  const std::string origin = "hostsim:" + job.name.substr(job.name.find_last_of('/') + 1);
  send_bytes(print::build_print_record(
      print::build_job_header(job.mode, origin, job.printer, job.format)));
  log(me + "send header mode=" + std::to_string(job.mode) + " printer=\"" + job.printer +
      "\" format=\"" + job.format + "\"");
  if (read_status(job.direct()) != print::kStatusAccepted) {
    net::sc_close(socket);
    return;
  }
  if (job.direct()) {
    // The link is a program link now: a keep-alive, and a request the workstation answers.
    net::LinkMessage keep_alive;
    keep_alive.service = net::KWD_CONNECT;
    keep_alive.type = net::KWK_CONNECT;
    net::link_send(socket, keep_alive, nullptr);
    proto::KInit kinit;
    kinit.program_name = "Direct print";
    kinit.host_pid = run_id;
    const proto::Outgoing introduction = proto::build_kinit(kinit);
    net::link_send(socket, introduction.header(), introduction.payload.data());
    log(me + "send KWD_KOMM/KWK_KINIT");
    const proto::Outgoing ask = proto::build_kgetwinid_request();
    net::link_send(socket, ask.header(), ask.payload.empty() ? nullptr : ask.payload.data());
    log(me + "send KWD_KOMM/KWK_KGETWINID");
    if (net::link_receive(socket, message, reader, net::kSkipKeepAlive) == 1)
      log(me + "recv " +
          describe_program_frame(message.service, message.type, reader.payload_view()));
    ::shutdown(socket, SHUT_WR);  // the orderly end of the link
    log(me + "link ended");
  } else {
    std::size_t records = 0;
    for (std::size_t at = 0; at < job.data.size() && !stop; at += kPrintRecordData, ++records) {
      const std::size_t n = std::min(kPrintRecordData, job.data.size() - at);
      if (!send_bytes(print::build_print_record({job.data.data() + at, n}))) break;
    }
    send_bytes(print::build_end_record());
    log(me + "sent " + std::to_string(job.data.size()) + " bytes in " + std::to_string(records) +
        " records and the end record");
  }
  read_status(false);
  net::sc_close(socket);
  log(me + "ended");
}

}  // namespace

void run_print_job(const PrintJobSpec& job, int run_id, int listen_socket,
                   const std::atomic<bool>& stop, const LogLine& log) {
  const std::string me = "print " + std::to_string(run_id) + ": ";
  net::link_set_options(0, false, false);
  const int socket = accept_workstation(listen_socket, kAcceptWaitMs, stop);
  if (socket < 0) {
    log(me + "the workstation did not connect");
    return;
  }
  log(me + "link accepted");
  // The workstation forwards the daemon's KWK_KPRINT first.
  net::FrameReader reader(socket);
  net::LinkMessage message;
  if (net::link_receive(socket, message, reader, net::kSkipKeepAlive) != 1) {
    log(me + "no opening frame");
    net::sc_close(socket);
    return;
  }
  log(me + "recv " + proto::describe_server_message(message.type, reader.payload_view(), true));
  serve_print_job(job, run_id, socket, me, stop, log);
}

void run_print_job_to_port(const PrintJobSpec& job, int run_id, const std::string& host, int port,
                           const std::atomic<bool>& stop, const LogLine& log) {
  const std::string me = "print " + std::to_string(run_id) + ": ";
  net::link_set_options(0, false, false);
  const int socket = net::sc_connect(host.c_str(), port);
  if (socket < 0) {
    log(me + "cannot connect to the print port " + host + ":" + std::to_string(port));
    return;
  }
  log(me + "connected to the print port " + host + ":" + std::to_string(port));
  serve_print_job(job, run_id, socket, me, stop, log);
}

}  // namespace hostsim
