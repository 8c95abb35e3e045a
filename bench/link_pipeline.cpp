// The send and receive pipeline of link frames on loopback, beside the raw Twofish-CBC speed on
// the same bytes, so that the cost of the framing shows as a ratio. Every allocation of the
// program is counted, to show that a stream of frames does not allocate per frame.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <thread>
#include <vector>

#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"

namespace {
std::atomic<long> g_allocations{0};
}

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

using namespace kovw::net;
using Bytes = std::vector<std::uint8_t>;

// Payload kinds: 0 random bytes (incompressible), 1 text with blank runs.
Bytes make_payload(std::size_t size, int kind) {
  Bytes data(size);
  std::mt19937 random(11);
  for (std::size_t i = 0; i < size; ++i) {
    if (kind == 0) {
      data[i] = static_cast<std::uint8_t>(random());
    } else {
      data[i] = (i % 80) < 30 ? static_cast<std::uint8_t>('A' + random() % 26) : ' ';
    }
  }
  return data;
}

void set_session_key() {
  const std::uint8_t client[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const std::uint8_t server[16] = {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
  link_set_session_key(client, server);
}

struct Loopback {
  int listener = -1, client = -1, server = -1;
  Loopback() {
    int port = 0;
    listener = sc_listen(0, &port);
    client = sc_connect("127.0.0.1", port);
    server = sc_accept(listener);
  }
  ~Loopback() {
    for (int s : {client, server, listener}) {
      if (s >= 0) sc_close(s);
    }
  }
};

unsigned options_word(bool compression, bool encryption) {
  return (compression ? 0x100u : 0u) | (encryption ? 0x200u : 0u);
}

// Args: payload size, compression, encryption, payload kind.
void BM_LinkPipeline(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const bool compression = state.range(1) != 0;
  const bool encryption = state.range(2) != 0;
  const Bytes payload = make_payload(size, static_cast<int>(state.range(3)));
  set_session_key();
  link_set_options(options_word(compression, encryption), true, true);
  Loopback link;
  const auto frames = static_cast<long>(state.max_iterations) + 2;
  std::thread sender([&] {
    link_set_options(options_word(compression, encryption), true, true);
    link_state().net_timeout_ms = 10000;
    LinkMessage message;
    message.service = 4;
    message.type = 2;
    message.length = static_cast<std::int32_t>(size);
    for (long i = 0; i < frames; ++i) {
      if (link_send(link.client, message, payload.data()) < 0) break;
    }
  });
  link_state().net_timeout_ms = 10000;
  FrameReader reader;
  LinkMessage message;
  // Two frames to warm the buffers up, then count allocations per frame.
  for (int i = 0; i < 2; ++i) link_receive(link.server, message, reader, kSkipKeepAlive);
  const long allocations_before = g_allocations.load();
  for (auto _ : state) {
    if (link_receive(link.server, message, reader, kSkipKeepAlive) != 1 ||
        static_cast<std::size_t>(message.length) != size) {
      state.SkipWithError("receive failed");
      break;
    }
    benchmark::DoNotOptimize(reader.payload);
  }
  const long allocations = g_allocations.load() - allocations_before;
  sender.join();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(size));
  state.counters["allocs_per_frame"] =
      static_cast<double>(allocations) /
      static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
}

void pipeline_args(benchmark::internal::Benchmark* b) {
  for (int kind : {0, 1}) {
    for (long size : {100L, 4096L, 262144L}) {
      for (int compression : {0, 1}) {
        for (int encryption : {0, 1}) b->Args({size, compression, encryption, kind});
      }
    }
  }
}
BENCHMARK(BM_LinkPipeline)->Apply(pipeline_args)->UseRealTime();

// Raw nettle Twofish-CBC on the same bytes: encryption only (what each side of the pipeline
// does), and encryption plus decryption in one thread.
void BM_RawTwofishCbc(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const bool both = state.range(1) != 0;
  Bytes data = make_payload((size + 15) / 16 * 16, 0);
  TwofishCipher cipher;
  const std::uint8_t key[16] = {1, 2, 3};
  cipher.set_key(key, sizeof key);
  for (auto _ : state) {
    std::uint8_t iv[16] = {};
    cipher.encrypt_cbc(data.data(), data.size(), iv);
    if (both) {
      std::uint8_t iv2[16] = {};
      cipher.decrypt_cbc(data.data(), data.size(), iv2);
    }
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(size));
}
BENCHMARK(BM_RawTwofishCbc)->ArgsProduct({{100, 4096, 262144}, {0, 1}});

// A stream of frames of changing sizes up to 32 KiB with compression and encryption on, in
// memory (build, read, finish): allocations per frame after the first frames.
void BM_FrameStreamAllocations(benchmark::State& state) {
  set_session_key();
  link_set_options(0x302, true, true);
  std::vector<Bytes> payloads;
  for (std::size_t size : {10u, 300u, 2048u, 2049u, 9000u, 20000u, 32768u}) {
    payloads.push_back(make_payload(size, static_cast<int>(size % 2)));
  }
  FrameReader reader;
  auto one_frame = [&](const Bytes& payload) {
    LinkMessage message;
    message.service = 4;
    message.type = 2;
    message.length = static_cast<std::int32_t>(payload.size());
    const auto frame = link_build_frame(message, payload.data());
    frame_reset(reader, -1);
    int result = 0;
    frame_feed(reader, frame.data(), frame.size(), &result);
    frame_finish(reader);
  };
  for (const Bytes& payload : payloads) one_frame(payload);
  // Counted outside the timing loop as well, where nothing but frames can allocate.
  const long before_check = g_allocations.load();
  for (int round = 0; round < 100; ++round) {
    for (const Bytes& payload : payloads) one_frame(payload);
  }
  state.counters["allocs_in_700_frames"] = static_cast<double>(g_allocations.load() - before_check);
  const long before = g_allocations.load();
  std::size_t i = 0;
  for (auto _ : state) one_frame(payloads[i++ % payloads.size()]);
  state.counters["allocs_per_frame"] =
      static_cast<double>(g_allocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FrameStreamAllocations);

}  // namespace
