// Resident memory of idle program sessions: starts one program, then many more, each on its
// own link with a host peer in this process, and reports the resident memory each further
// program adds. Two kinds of idle program are measured: linked (the thread, its event loop,
// the session and the link, before KINIT) and shown (after KINIT: its windows exist and are
// shown on the offscreen platform).

#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
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
#include "protocol/program/start_messages.h"
#include "session/program_list.h"
#include "session/program_thread.h"
#include "session/program_view.h"

namespace {

using namespace kovw;

QApplication& app() {
  static int argc = 1;
  static char name[] = "bench_program_sessions";
  static char* argv[] = {name, nullptr};
  static QApplication* instance = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KOVW_UNATTENDED", "1", 1);
    foundation::hvt_init_threads(__FILE__, __LINE__);
    return new QApplication(argc, argv);
  }();
  return *instance;
}

bool pump_until(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > 20000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QThread::msleep(1);
  }
  return true;
}

long resident_kib() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Starts a program and returns the host's end of its link.
int start_program(bool shown, int pid) {
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return -1;
  session::dt_open(pair[1], "bench", "<NULL>", -1, "0", {});
  if (shown) {
    protocol::KInit kinit;
    kinit.host_pid = pid;
    kinit.program_name = "idle";
    kinit.host_version = 0x070305;
    const protocol::Outgoing out = protocol::build_kinit(kinit);
    const net::LinkMessage message = out.header();
    net::link_send(pair[0], message, out.payload.data());
  }
  return pair[0];
}

void run(benchmark::State& state, bool shown) {
  app();
  const int programs = static_cast<int>(state.range(0));
  double per_program = 0;
  for (auto _ : state) {
    std::vector<int> peers;
    peers.push_back(start_program(shown, 1));
    const auto first_ready = [&] {
      return session::program_count() == 1 && (!shown || session::ProgramView::live_count() == 1);
    };
    pump_until(first_ready);
    const long after_first = resident_kib();
    for (int i = 1; i < programs; ++i) peers.push_back(start_program(shown, i + 1));
    pump_until([&] {
      return session::program_count() == programs &&
             (!shown || static_cast<int>(QApplication::topLevelWidgets().size()) == programs);
    });
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
  run(state, false);
}
void BM_IdleShownProgram(benchmark::State& state) {
  run(state, true);
}

BENCHMARK(BM_IdleLinkedProgram)->Arg(50)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleShownProgram)->Arg(50)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
