// Text screen output throughput: a host repainting an 80 x 24 screen (cursor moves, colour and
// field escapes, text), and the update the painter takes after each output; a host writing
// lines that scroll the screen; and a burst of small writes taken as one update per write (as
// when the view is idle) or as one update for the burst (as when the program thread coalesces
// them while the view is busy).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "session/program/text_screen.h"

namespace {

using kovw::session::TextScreen;
using kovw::session::TextScreenEffects;

// One full repaint as hosts send it: clear, then per row a cursor move, a colour, a field
// start and 76 characters of text.
std::vector<std::uint8_t> repaint_stream() {
  std::string stream = "\x0c";
  for (int row = 0; row < 24; ++row) {
    stream +=
        "\x1b"
        "F";
    stream += static_cast<char>(2);
    stream += static_cast<char>(row);
    stream += row % 2 ? "\x1b"
                        "d"
                      : "\x1b"
                        "n";
    stream +=
        "\x1b"
        "#1 ";
    for (int column = 0; column < 76; ++column)
      stream += static_cast<char>('A' + (row * 7 + column) % 26);
  }
  return {stream.begin(), stream.end()};
}

void BM_TextOutputRepaint(benchmark::State& state) {
  TextScreen screen(80, 24);
  TextScreenEffects effects;
  const std::vector<std::uint8_t> stream = repaint_stream();
  for (auto _ : state) {
    screen.output(stream, effects);
    benchmark::DoNotOptimize(screen.take_update());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(stream.size()));
}

// A single changed line: what an interactive host sends most.
void BM_TextOutputOneLine(benchmark::State& state) {
  TextScreen screen(80, 24);
  TextScreenEffects effects;
  std::string line =
      "\x1b"
      "F\x02\x05Kunde 4711 Anna Example";
  const std::vector<std::uint8_t> stream(line.begin(), line.end());
  for (auto _ : state) {
    screen.output(stream, effects);
    benchmark::DoNotOptimize(screen.take_update());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(stream.size()));
}

// Lines written at the bottom of the screen: every line scrolls the grid by one row.
void BM_TextOutputScrolling(benchmark::State& state) {
  TextScreen screen(80, 24);
  TextScreenEffects effects;
  std::string line = "\r\nProtokoll 2026-12-10 16:04:40 Auftrag 4711 gebucht, Lager 3, Menge 12";
  const std::vector<std::uint8_t> stream(line.begin(), line.end());
  for (auto _ : state) {
    screen.output(stream, effects);
    benchmark::DoNotOptimize(screen.take_update());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(stream.size()));
}

// A burst of 200 KWK_WDAT writes of one field each; state.range(0) is the number of writes
// taken together into one update (1: an update per write).
void BM_TextOutputBurst(benchmark::State& state) {
  constexpr int kWrites = 200;
  const auto per_update = static_cast<int>(state.range(0));
  TextScreen screen(80, 24);
  TextScreenEffects effects;
  std::vector<std::vector<std::uint8_t>> writes;
  for (int i = 0; i < kWrites; ++i) {
    std::string write =
        "\x1b"
        "F";
    write += static_cast<char>(10 + i % 60);
    write += static_cast<char>(i % 24);
    write +=
        "\x1b"
        "#2 " +
        std::to_string(1000 + i);
    writes.emplace_back(write.begin(), write.end());
  }
  std::int64_t updates = 0;
  for (auto _ : state) {
    for (int i = 0; i < kWrites; ++i) {
      screen.output(writes[static_cast<std::size_t>(i)], effects);
      if ((i + 1) % per_update == 0 || i + 1 == kWrites) {
        benchmark::DoNotOptimize(screen.take_update());
        ++updates;
      }
    }
  }
  state.counters["updates_per_burst"] =
      benchmark::Counter(static_cast<double>(updates) / static_cast<double>(state.iterations()));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kWrites);
}

BENCHMARK(BM_TextOutputRepaint);
BENCHMARK(BM_TextOutputOneLine);
BENCHMARK(BM_TextOutputScrolling);
BENCHMARK(BM_TextOutputBurst)->Arg(1)->Arg(200);

}  // namespace
