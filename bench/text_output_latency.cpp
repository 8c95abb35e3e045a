// Latency of host output on the text screen: a host on a local link writes one KWK_WDAT, and
// the time is taken until the program's view holds the written cell and has painted once.
// Reported as the median and the largest of the samples; a burst of writes reports the time
// until its last write shows and the number of updates the view was handed for it.

#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "foundation/named_lock.h"
#include "net/link_io.h"
#include "net/link_names.h"
#include "net/tcp_socket.h"
#include "protocol/program/screen_definition.h"
#include "protocol/program/start_messages.h"
#include "session/program/program_list.h"
#include "session/program/program_thread.h"
#include "session/program/text_cells.h"
#include "session/program_start.h"
#include "session/view/program_view.h"
#include "session/view/text_screen_widget.h"
#include "session/window_messages.h"

#include "bench_application.h"

namespace {

using namespace kovw;

QApplication& app() {
  return bench::bench_application();
}

bool pump_until(const std::function<bool()>& done) {
  return bench::pump_until(done, false);
}

void send(int socket, const protocol::Outgoing& out) {
  const net::LinkMessage message = out.header();
  net::link_send(socket, message, out.payload.data());
}

void write(int socket, const std::string& stream) {
  net::LinkMessage message;
  message.service = static_cast<std::uint8_t>(net::KWD_WIN);
  message.type = static_cast<std::uint8_t>(net::KWK_WDAT);
  message.length = static_cast<int>(stream.size());
  net::link_send(socket, message, stream.data());
}

// Counts the text screen updates the view receives.
class UpdateCounter : public QObject {
 public:
  int updates = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == session::wml_event_type(session::WML_VIEW_TEXT_ROWS)) ++updates;
    return false;
  }
};

// A program with a shown text screen of 80 x 24 cells; returns the host's end of its link.
int start_text_program() {
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return -1;
  session::dt_open(pair[1], "bench", "<NULL>", -1, "0", {});
  constexpr std::int32_t kVersion = 0x070305;
  protocol::KInit kinit;
  kinit.host_pid = 1;
  kinit.program_name = "latency";
  kinit.host_version = kVersion;
  send(pair[0], protocol::build_kinit(kinit));
  protocol::ScreenDefinition screen;
  screen.mode_and_style = 1;
  screen.width = 80;
  screen.height = 24;
  screen.title = "latency";
  screen.screen_options = protocol::default_screen_options();
  send(pair[0], protocol::build_screen_definition(screen, kVersion, net::KWD_WIN, net::KWK_WINIT));
  return pair[0];
}

session::TextScreenWidget* text_widget() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* widget = window->findChild<session::TextScreenWidget*>();
    if (widget != nullptr && window->isVisible()) return widget;
  }
  return nullptr;
}

char shown(session::TextScreenWidget* widget, int column, int row) {
  return static_cast<char>(session::cell_character(widget->cell(column, row)));
}

void end_program(int peer) {
  net::sc_close(peer);
  pump_until([] {
    return session::program_count() == 0 && session::live_program_threads() == 0 &&
           session::ProgramView::live_count() == 0;
  });
}

double percentile(std::vector<double> samples, double p) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  return samples[static_cast<std::size_t>(p * static_cast<double>(samples.size() - 1))];
}

// One write of a character at the top-left cell; the time until it shows.
void BM_OutputToView(benchmark::State& state) {
  app();
  const int peer = start_text_program();
  session::TextScreenWidget* widget = nullptr;
  pump_until([&] { return (widget = text_widget()) != nullptr; });
  std::vector<double> samples;
  char next = 'a';
  for (auto _ : state) {
    next = next == 'z' ? 'a' : static_cast<char>(next + 1);
    QElapsedTimer timer;
    timer.start();
    write(peer, std::string("\x1b"
                            "F\x00\x00",
                            4) +
                    next);
    pump_until([&] { return shown(widget, 0, 0) == next; });
    QCoreApplication::processEvents();  // the paint
    const double microseconds = static_cast<double>(timer.nsecsElapsed()) / 1000.0;
    samples.push_back(microseconds);
    state.SetIterationTime(microseconds / 1e6);
  }
  state.counters["median_us"] = percentile(samples, 0.5);
  state.counters["max_us"] = percentile(samples, 1.0);
  end_program(peer);
}

// 200 writes sent at once, each a field on its own row and column; the time until the last
// shows, and how many updates the view was handed for them.
void BM_OutputBurstToView(benchmark::State& state) {
  app();
  const int peer = start_text_program();
  session::TextScreenWidget* widget = nullptr;
  pump_until([&] { return (widget = text_widget()) != nullptr; });
  UpdateCounter counter;
  QApplication::instance()->installEventFilter(&counter);
  constexpr int kWrites = 200;
  std::vector<double> samples;
  int round = 0;
  for (auto _ : state) {
    const char mark = static_cast<char>('A' + round++ % 26);
    counter.updates = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kWrites; ++i) {
      std::string stream =
          "\x1b"
          "F";
      stream += static_cast<char>(i % 70);
      stream += static_cast<char>(i % 24);
      stream += mark;
      stream += std::to_string(i);
      write(peer, stream);
    }
    pump_until([&] { return shown(widget, (kWrites - 1) % 70, (kWrites - 1) % 24) == mark; });
    QCoreApplication::processEvents();
    const double microseconds = static_cast<double>(timer.nsecsElapsed()) / 1000.0;
    samples.push_back(microseconds);
    state.SetIterationTime(microseconds / 1e6);
    state.counters["updates_per_burst"] = counter.updates;
  }
  QApplication::instance()->removeEventFilter(&counter);
  state.counters["median_us"] = percentile(samples, 0.5);
  end_program(peer);
}

BENCHMARK(BM_OutputToView)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OutputBurstToView)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

}  // namespace
