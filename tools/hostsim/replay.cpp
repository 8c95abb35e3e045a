#include "replay.h"

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "net/link_io.h"
#include "net/link_recording.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"
#include "protocol/trace_compare.h"

namespace hostsim {

namespace net = kovw::net;
namespace proto = kovw::protocol;
using Clock = std::chrono::steady_clock;

namespace {

// How long the workstation may take for a frame beyond the recorded pause before it.
constexpr auto kAnswerSlack = std::chrono::seconds(10);

std::string offset_text(std::uint64_t offset_us) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%03llu s",
                static_cast<unsigned long long>(offset_us / 1000000),
                static_cast<unsigned long long>(offset_us / 1000 % 1000));
  return text;
}

// Sleeps until `when`, or until `stop`.
void wait_until(Clock::time_point when, const std::atomic<bool>& stop) {
  while (!stop && Clock::now() < when)
    std::this_thread::sleep_for(
        std::min<Clock::duration>(when - Clock::now(), std::chrono::milliseconds(20)));
}

}  // namespace

std::atomic<int>& replays_passed() {
  static std::atomic<int> count{0};
  return count;
}

std::optional<net::TraceContents> load_replay_trace(const std::string& path, std::string& error) {
  net::TraceContents trace = net::read_trace_file(path);
  if (!trace.error.empty()) {
    error = path + ": " + trace.error;
    return std::nullopt;
  }
  if (trace.header.link_kind != net::TraceLinkKind::Program) {
    error = path + ": not the trace of a program link";
    return std::nullopt;
  }
  if (trace.truncated)
    std::fprintf(stderr, "hostsim: %s ends inside a record; replaying its %zu whole records\n",
                 path.c_str(), trace.records.size());
  return trace;
}

bool run_replay(const net::TraceContents& trace, bool fast, int socket, net::FrameReader& reader,
                const std::atomic<bool>& stop, const LogLine& log) {
  const Clock::time_point start = Clock::now();
  std::uint64_t first_offset = trace.records.empty() ? 0 : trace.records.front().offset_us;
  std::uint64_t last_offset = first_offset;
  int number = 0;
  auto report = [&](const std::string& line) {
    log("replay: " + line);
    std::fprintf(stderr, "hostsim: replay: %s\n", line.c_str());
  };
  net::apply_trace_options(trace.header.options);
  for (const net::TraceRecord& record : trace.records) {
    if (stop) return false;
    const auto due = start + std::chrono::microseconds(record.offset_us - first_offset);
    switch (record.kind) {
      case net::TraceRecordKind::Options:
        net::apply_trace_options(record.options);
        break;
      case net::TraceRecordKind::Received: {
        // The host's frame: sent at its recorded time, or at once.
        ++number;
        if (!fast) wait_until(due, stop);
        net::LinkMessage message;
        message.service = static_cast<std::uint8_t>(record.service);
        message.type = static_cast<std::uint8_t>(record.type);
        message.length = static_cast<std::int32_t>(record.payload.size());
        const int rc = net::link_send(socket, message,
                                      record.payload.empty() ? nullptr : record.payload.data());
        log("replay: send #" + std::to_string(number) + " " +
            proto::describe_trace_frame(record.service, record.type, record.payload));
        if (rc < 0) {
          report("frame " + std::to_string(number) + " could not be sent (" + std::to_string(rc) +
                 ")");
          return false;
        }
        break;
      }
      case net::TraceRecordKind::Sent: {
        // The workstation's frame: it must come, and match.
        ++number;
        const auto pause = std::chrono::microseconds(record.offset_us - last_offset);
        const auto deadline =
            (fast ? Clock::now() : std::max(Clock::now(), due)) + pause + kAnswerSlack;
        // Described only for a report: most frames match.
        const auto expected = [&record] {
          return proto::describe_trace_frame(record.service, record.type, record.payload);
        };
        int rc = 0;
        net::LinkMessage message;
        while (!stop) {
          const auto left =
              std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
          if (left.count() <= 0) break;
          pollfd fd{socket, POLLIN, 0};
          if (::poll(&fd, 1, static_cast<int>(std::min<long long>(left.count(), 20))) <= 0)
            continue;
          net::link_state().net_timeout_ms = static_cast<int>(std::max<long long>(left.count(), 1));
          rc = net::link_receive(socket, message, reader, net::kSkipKeepAlive);
          break;
        }
        if (rc != 1) {
          report("frame " + std::to_string(number) + " (recorded at " +
                 offset_text(record.offset_us - first_offset) + "): " +
                 (rc == 0 && !stop ? (Clock::now() >= deadline ? "no frame came in time"
                                                               : "the workstation closed the link")
                                   : "receiving failed (" + std::to_string(rc) + ")"));
          report("  expected " + expected());
          return false;
        }
        const auto payload = reader.payload_view();
        const std::string received =
            proto::describe_trace_frame(message.service, message.type, payload);
        log("replay: recv #" + std::to_string(number) + " " + received);
        if (const auto difference =
                proto::trace_frame_difference(record.service, record.type, record.payload,
                                              message.service, message.type, payload)) {
          report("frame " + std::to_string(number) + " (recorded at " +
                 offset_text(record.offset_us - first_offset) + ") differs: " + *difference);
          report("  expected " + expected());
          report("  received " + received);
          return false;
        }
        break;
      }
    }
    last_offset = record.offset_us;
  }
  log("replay: all " + std::to_string(number) + " frames matched");
  ++replays_passed();
  return true;
}

std::string dump_trace(const net::TraceContents& trace) {
  static const char* const kKinds[] = {"?", "server link", "program link", "print link"};
  const auto kind = static_cast<std::size_t>(trace.header.link_kind);
  std::string text = "trace of a " + std::string(kind < 4 ? kKinds[kind] : "?") + " with \"" +
                     trace.header.peer + "\", workstation " + trace.header.version +
                     ", header level " + std::to_string(trace.header.options.header_level) +
                     ", options " + std::to_string(trace.header.options.bits) + "\n";
  for (const net::TraceRecord& record : trace.records) {
    text += offset_text(record.offset_us) + " ";
    if (record.kind == net::TraceRecordKind::Options) {
      text += "options header level " + std::to_string(record.options.header_level) + ", options " +
              std::to_string(record.options.bits) + "\n";
      continue;
    }
    text += record.kind == net::TraceRecordKind::Sent ? "sent " : "recv ";
    text += proto::describe_trace_frame(record.service, record.type, record.payload) + "\n";
  }
  if (trace.truncated) text += "(the trace ends inside a record)\n";
  if (!trace.error.empty()) text += "(" + trace.error + ")\n";
  return text;
}

}  // namespace hostsim
