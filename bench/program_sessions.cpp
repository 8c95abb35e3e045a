// Resident memory of idle program sessions: starts one program, then many more, each on its
// own link with a host peer in this process, and reports the resident memory each further
// program adds. Three kinds of idle program are measured: linked (the thread, its event loop,
// the session and the link, before KINIT), introduced (after KINIT: its windows exist but stay
// hidden until the host defines a screen; the 1 MiB budget applies to it) and shown with a
// text screen of 80 x 24 cells (the grid, its copy in the view, and the window's backing store
// of width x height x 4 bytes, on the offscreen platform as on a real display).

#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "foundation/named_lock.h"
#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_names.h"
#include "net/tcp_socket.h"
#include "protocol/program/screen_definition.h"
#include "protocol/program/start_messages.h"
#include "session/program/program_list.h"
#include "session/program/program_thread.h"
#include "session/program_start.h"
#include "session/view/program_view.h"

#include "bench_application.h"

namespace {

using namespace kovw;

QApplication& app() {
  return bench::bench_application();
}

bool pump_until(const std::function<bool()>& done) {
  return bench::pump_until(done, true);
}

long resident_kib() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

enum class Stage { linked, introduced, shown };

void send(int socket, const protocol::Outgoing& out) {
  const net::LinkMessage message = out.header();
  net::link_send(socket, message, out.payload.data());
}

// Starts a program, brings it to `stage` and returns the host's end of its link.
int start_program(Stage stage, int pid) {
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return -1;
  session::dt_open(pair[1], "bench", "<NULL>", -1, "0", {});
  constexpr std::int32_t kVersion = 0x070305;
  if (stage != Stage::linked) {
    protocol::KInit kinit;
    kinit.host_pid = pid;
    kinit.program_name = "idle";
    kinit.host_version = kVersion;
    send(pair[0], protocol::build_kinit(kinit));
  }
  if (stage == Stage::shown) {
    protocol::ScreenDefinition screen;
    screen.mode_and_style = 3;  // a text screen: the size counts cells
    screen.width = 80;
    screen.height = 24;
    screen.title = "idle";
    screen.screen_options = protocol::default_screen_options();
    send(pair[0],
         protocol::build_screen_definition(screen, kVersion, net::KWD_WIN, net::KWK_WINIT));
  }
  return pair[0];
}

int visible_windows() {
  int count = 0;
  for (const QWidget* widget : QApplication::topLevelWidgets()) count += widget->isVisible();
  return count;
}

void run(benchmark::State& state, Stage stage) {
  app();
  const int programs = static_cast<int>(state.range(0));
  double per_program = 0;
  for (auto _ : state) {
    std::vector<int> peers;
    // All of a stage's programs are there: listed, with their windows, shown when asked.
    const auto ready = [&](int count) {
      return [stage, count] {
        if (session::program_count() != count) return false;
        if (stage == Stage::linked) return true;
        if (static_cast<int>(QApplication::topLevelWidgets().size()) != count) return false;
        return stage != Stage::shown || visible_windows() == count;
      };
    };
    peers.push_back(start_program(stage, 1));
    pump_until(ready(1));
    const long after_first = resident_kib();
    for (int i = 1; i < programs; ++i) peers.push_back(start_program(stage, i + 1));
    pump_until(ready(programs));
    QCoreApplication::processEvents();
    const long after_all = resident_kib();
    // The largest of the iterations: later ones may reuse memory the earlier ones freed.
    per_program =
        std::max(per_program, static_cast<double>(after_all - after_first) / (programs - 1));

    for (int peer : peers) net::sc_close(peer);
    pump_until([] {
      return session::program_count() == 0 && session::live_program_threads() == 0 &&
             session::ProgramView::live_count() == 0;
    });
  }
  state.counters["KiB_per_further_program"] = per_program;
}

void BM_IdleLinkedProgram(benchmark::State& state) {
  run(state, Stage::linked);
}
void BM_IdleIntroducedProgram(benchmark::State& state) {
  run(state, Stage::introduced);
}
void BM_IdleShownProgram(benchmark::State& state) {
  run(state, Stage::shown);
}

BENCHMARK(BM_IdleLinkedProgram)->Arg(50)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleIntroducedProgram)->Arg(50)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleShownProgram)->Arg(50)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
