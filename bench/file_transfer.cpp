// A 256 MiB download over loopback, beside the bare link pipeline on the same bytes: the
// sender streams 32 KiB data frames, the receiver takes them with the link's receive and, in
// the download, hands each to the download receiver, which writes it to disk under a
// temporary name and puts the file in place at the end. Compression and encryption on and off.
// Where the link is faster than the disk, the download is bound by the disk: the last
// benchmark writes the same bytes without a link. The counter rss_growth_kb shows that the download
// does not grow with the file (it streams to disk; no whole-file buffer).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "foundation/atomic_file.h"
#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_names.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"
#include "protocol/file_transfer.h"
#include "session/program/file_transfers.h"

namespace {

using namespace kovw;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kFileBytes = 256u << 20;
constexpr std::size_t kFrameBytes = 32u << 10;

// Text-like data (compressible in part), the same for every run.
const Bytes& frame_data() {
  static const Bytes data = [] {
    Bytes out(kFrameBytes);
    std::mt19937 random(5);
    for (std::size_t i = 0; i < out.size(); ++i)
      out[i] = (i % 80) < 50 ? static_cast<std::uint8_t>('a' + random() % 26) : ' ';
    return out;
  }();
  return data;
}

long max_rss_kb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

unsigned options_word(bool compression, bool encryption) {
  return (compression ? 0x100u : 0u) | (encryption ? 0x200u : 0u);
}

struct Loopback {
  int listener = -1, client = -1, server = -1;
  Loopback() {
    int port = 0;
    listener = net::sc_listen(0, &port);
    client = net::sc_connect("127.0.0.1", port);
    server = net::sc_accept(listener);
  }
  ~Loopback() {
    for (int s : {client, server, listener})
      if (s >= 0) net::sc_close(s);
  }
};

void set_link(bool compression, bool encryption) {
  const std::uint8_t client[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const std::uint8_t server[16] = {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
  net::link_set_session_key(client, server);
  net::link_set_options(options_word(compression, encryption), true, true);
  net::link_state().net_timeout_ms = 30000;
}

// One transfer of kFileBytes: the host's side on a thread, the workstation's here. With
// `to_disk`, every data frame goes through a DownloadReceiver.
bool transfer(bool compression, bool encryption, bool to_disk, const std::string& target) {
  Loopback link;
  std::thread host([&] {
    set_link(compression, encryption);
    net::LinkMessage data;
    data.service = net::KWD_KOMM;
    data.type = net::KWK_KDATA;
    data.length = static_cast<std::int32_t>(kFrameBytes);
    for (std::size_t sent = 0; sent < kFileBytes; sent += kFrameBytes)
      if (net::link_send(link.client, data, frame_data().data()) < 0) return;
    net::LinkMessage end;
    end.type = net::KWK_KOMOK;
    net::link_send(link.client, end, nullptr);
  });
  set_link(compression, encryption);
  protocol::DownloadStart start;
  start.target = target;
  session::DownloadReceiver receiver(start, target, std::filesystem::temp_directory_path(), false);
  bool ok = !to_disk || receiver.open();
  net::FrameReader reader;
  net::LinkMessage message;
  std::size_t received = 0;
  while (ok) {
    if (net::link_receive(link.server, message, reader, net::kSkipKeepAlive) != 1) {
      ok = false;
      break;
    }
    if (message.type != net::KWK_KDATA) break;
    const auto payload = reader.payload_view();
    received += payload.size();
    if (to_disk) receiver.data(payload);
  }
  host.join();
  if (to_disk) ok = ok && receiver.finish().answer.error == 0;
  return ok && received == kFileBytes;
}

// Args: compression, encryption, to disk.
void BM_Download256MiB(benchmark::State& state) {
  const bool compression = state.range(0) != 0;
  const bool encryption = state.range(1) != 0;
  const bool to_disk = state.range(2) != 0;
  const std::string target =
      (std::filesystem::temp_directory_path() / ("bench_download." + std::to_string(::getpid())))
          .string();
  transfer(compression, encryption, to_disk, target);  // warms buffers and the page cache up
  const long rss_before = max_rss_kb();
  for (auto _ : state) {
    if (!transfer(compression, encryption, to_disk, target)) {
      state.SkipWithError("transfer failed");
      break;
    }
  }
  std::filesystem::remove(target);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kFileBytes));
  state.counters["rss_growth_kb"] = static_cast<double>(max_rss_kb() - rss_before);
}

void download_args(benchmark::internal::Benchmark* b) {
  for (int compression : {0, 1})
    for (int encryption : {0, 1})
      for (int to_disk : {0, 1}) b->Args({compression, encryption, to_disk});
}
BENCHMARK(BM_Download256MiB)
    ->Apply(download_args)
    ->ArgNames({"compress", "encrypt", "download"})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same bytes written to disk the way a download writes them, without a link: the bound
// that a download over a faster link meets.
void BM_DiskWrite256MiB(benchmark::State& state) {
  const std::string target =
      (std::filesystem::temp_directory_path() / ("bench_disk." + std::to_string(::getpid())))
          .string();
  for (auto _ : state) {
    foundation::AtomicFile file;
    bool ok = file.open(target) == 0;
    for (std::size_t written = 0; ok && written < kFileBytes; written += kFrameBytes)
      ok = file.write(frame_data()) == 0;
    if (!ok || file.commit() != 0) {
      state.SkipWithError("write failed");
      break;
    }
  }
  std::filesystem::remove(target);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kFileBytes));
}
BENCHMARK(BM_DiskWrite256MiB)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
