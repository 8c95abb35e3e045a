// Compression bombs on many short-lived links: each link runs on its own thread (as program
// links do), receives a blank-fill frame that announces 16 MiB from a 5-byte prefix and a
// PackBits frame that announces 16 MiB from two coded bytes, and ends. Reported: the resident
// memory before and after 300 such links, with the allocator's default settings.
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <thread>
#include <vector>

#include "net/frame_memory.h"
#include "net/link.h"
#include "net/tcp_socket.h"

namespace {

using namespace kovw::net;
using Bytes = std::vector<std::uint8_t>;

constexpr int kLinks = 300;
constexpr int kAtOnce = 20;
constexpr std::uint32_t kAnnounced = 16u << 20;

double resident_mib() {
  long pages_total = 0, pages_resident = 0;
  if (FILE* file = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(file, "%ld %ld", &pages_total, &pages_resident) != 2) pages_resident = 0;
    std::fclose(file);
  }
  return static_cast<double>(pages_resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) /
         (1024.0 * 1024.0);
}

// A compressed frame whose payload (prefix and coded bytes) travels inline in the header.
Bytes bomb(std::uint8_t method, const Bytes& coded) {
  Bytes frame(kFrameHeaderSize, 0);
  frame[0] = 1 | kKindCompressed;
  frame[1] = 2;
  const std::size_t length = kCompressionPrefix + coded.size();
  frame[3] = static_cast<std::uint8_t>(length);
  write_be32(frame.data() + 4, kAnnounced);
  frame[8] = method;
  std::copy(coded.begin(), coded.end(), frame.begin() + 9);
  return frame;
}

void one_link(const Bytes& blank_fill, const Bytes& packbits) {
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return;
  Link link(pair[1]);
  for (const Bytes* frame : {&blank_fill, &packbits}) {
    sc_send(pair[0], static_cast<int>(frame->size()), frame->data(), 2000);
    ReceiveStep step;
    do {
      step = link.receive_step();
    } while (step.outcome == ReceiveOutcome::Pending);
    if (step.outcome == ReceiveOutcome::Message) benchmark::DoNotOptimize(link.payload()[0]);
    link.frame_done();
  }
  sc_close(pair[0]);
}

void BM_BombLinks(benchmark::State& state) {
  const Bytes blank_fill = bomb(2, {});
  const Bytes packbits = bomb(1, {0x81, 'x'});
  double start = 0, peak = 0, end = 0;
  for (auto _ : state) {
    start = resident_mib();
    for (int done = 0; done < kLinks; done += kAtOnce) {
      std::vector<std::thread> threads;
      for (int i = 0; i < kAtOnce; ++i) threads.emplace_back(one_link, blank_fill, packbits);
      for (std::thread& thread : threads) thread.join();
      peak = std::max(peak, resident_mib());
    }
    end = resident_mib();
  }
  state.counters["rss_start_mib"] = start;
  state.counters["rss_peak_mib"] = peak;
  state.counters["rss_end_mib"] = end;
  state.counters["rss_growth_mib"] = end - start;
  state.counters["frame_memory_end"] = static_cast<double>(frame_memory_in_use());
}
BENCHMARK(BM_BombLinks)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
