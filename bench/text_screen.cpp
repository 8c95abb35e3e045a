// Text screen output throughput: a host repainting an 80 x 24 screen (cursor moves, colour and
// field escapes, text), and the update the painter takes after each output.
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

BENCHMARK(BM_TextOutputRepaint);
BENCHMARK(BM_TextOutputOneLine);

}  // namespace
