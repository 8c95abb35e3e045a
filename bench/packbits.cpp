// PackBits encode and decode throughput on text with blank runs, random bytes and blanks.
#include "net/packbits.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using kovw::net::packbits_bound;
using Bytes = std::vector<std::uint8_t>;

// Kinds: 0 text with blank runs, 1 random bytes, 2 all blanks.
Bytes make_input(int kind, std::size_t size) {
  Bytes data(size);
  std::mt19937 random(5);
  for (std::size_t i = 0; i < size; ++i) {
    switch (kind) {
      case 0:
        data[i] = (i % 80) < 30 ? static_cast<std::uint8_t>('A' + random() % 26) : ' ';
        break;
      case 1:
        data[i] = static_cast<std::uint8_t>(random());
        break;
      default:
        data[i] = ' ';
    }
  }
  return data;
}

void BM_PackBitsEncode(benchmark::State& state) {
  const Bytes input = make_input(static_cast<int>(state.range(0)), 262144);
  Bytes out(packbits_bound(input.size()));
  for (auto _ : state) {
    benchmark::DoNotOptimize(kovw::net::packbits_encode(input.data(), input.size(), out.data()));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_PackBitsEncode)->Arg(0)->Arg(1)->Arg(2);

void BM_PackBitsDecode(benchmark::State& state) {
  const Bytes input = make_input(static_cast<int>(state.range(0)), 262144);
  Bytes coded(packbits_bound(input.size()));
  coded.resize(kovw::net::packbits_encode(input.data(), input.size(), coded.data()));
  Bytes out(input.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        kovw::net::packbits_decode(coded.data(), coded.size(), out.data(), out.size()));
  }
  // Throughput of the decoded bytes.
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_PackBitsDecode)->Arg(0)->Arg(1)->Arg(2);

}  // namespace
