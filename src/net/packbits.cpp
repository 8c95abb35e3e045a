#include "net/packbits.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kovw::net {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Index of the lowest zero byte of v (v must contain one), on a little-endian machine. The
// borrow of the subtraction can only flag bytes above the first zero byte, so the lowest flag
// is exact.
unsigned first_zero_byte(std::uint64_t v) {
  const std::uint64_t flags = (v - kOnes) & ~v & kHighs;
  return static_cast<unsigned>(std::countr_zero(flags)) / 8;
}

bool has_zero_byte(std::uint64_t v) {
  return ((v - kOnes) & ~v & kHighs) != 0;
}

// First position p >= from with in[p] == in[p + 1], or `length` when there is none.
std::size_t find_pair(const std::uint8_t* in, std::size_t from, std::size_t length) {
  std::size_t p = from;
  if constexpr (std::endian::native == std::endian::little) {
    while (p + 9 <= length) {
      const std::uint64_t x = load64(in + p) ^ load64(in + p + 1);
      if (has_zero_byte(x)) return p + first_zero_byte(x);
      p += 8;
    }
  }
  for (; p + 1 < length; ++p) {
    if (in[p] == in[p + 1]) return p;
  }
  return length;
}

// Number of bytes equal to in[from] starting at `from`, at most `limit`.
std::size_t run_length(const std::uint8_t* in, std::size_t from, std::size_t length) {
  const std::uint8_t b = in[from];
  std::size_t p = from + 1;
  if constexpr (std::endian::native == std::endian::little) {
    const std::uint64_t pattern = kOnes * b;
    while (p + 8 <= length) {
      const std::uint64_t x = load64(in + p) ^ pattern;
      if (x != 0) return p - from + static_cast<std::size_t>(std::countr_zero(x)) / 8;
      p += 8;
    }
  }
  while (p < length && in[p] == b) ++p;
  return p - from;
}

std::uint8_t* put_literals(std::uint8_t* out, const std::uint8_t* in, std::size_t count) {
  while (count != 0) {
    const std::size_t piece = std::min<std::size_t>(count, 128);
    *out++ = static_cast<std::uint8_t>(piece - 1);
    std::memcpy(out, in, piece);
    out += piece;
    in += piece;
    count -= piece;
  }
  return out;
}

}  // namespace

std::size_t packbits_encode(const std::uint8_t* in, std::size_t length, std::uint8_t* out) {
  std::uint8_t* const start = out;
  std::size_t i = 0;
  while (i < length) {
    const std::size_t run_start = find_pair(in, i, length);
    out = put_literals(out, in + i, run_start - i);
    if (run_start >= length) break;
    std::size_t run = run_length(in, run_start, length);
    const std::uint8_t b = in[run_start];
    i = run_start;
    while (run >= 2) {
      const std::size_t piece = std::min<std::size_t>(run, 128);
      *out++ = static_cast<std::uint8_t>(257 - piece);
      *out++ = b;
      i += piece;
      run -= piece;
    }
    // A single byte left over from a long run starts the next literal group.
  }
  return static_cast<std::size_t>(out - start);
}

long packbits_decode(const std::uint8_t* in, std::size_t length, std::uint8_t* out,
                     std::size_t capacity) {
  std::size_t i = 0, o = 0;
  while (i < length) {
    const unsigned control = in[i++];
    if (control < 128) {
      const std::size_t count = control + 1;
      if (count > length - i || count > capacity - o) return -1;
      std::memcpy(out + o, in + i, count);
      i += count;
      o += count;
    } else if (control > 128) {
      const std::size_t count = 257 - control;
      if (i >= length || count > capacity - o) return -1;
      std::memset(out + o, in[i++], count);
      o += count;
    }
  }
  return static_cast<long>(o);
}

std::size_t packbits_decode_clipped(const std::uint8_t* in, std::size_t length, std::uint8_t* out,
                                    std::size_t capacity) {
  std::size_t i = 0, o = 0;
  while (i < length && o < capacity) {
    const unsigned control = in[i++];
    if (control < 128) {
      const std::size_t count = std::min<std::size_t>({control + 1u, length - i, capacity - o});
      std::memcpy(out + o, in + i, count);
      i += control + 1u;  // past the group, also where it was cut
      o += count;
    } else if (control > 128) {
      if (i >= length) break;
      const std::size_t count = std::min<std::size_t>(257 - control, capacity - o);
      std::memset(out + o, in[i++], count);
      o += count;
    }
  }
  return o;
}

void blank_fill_decode(const std::uint8_t* in, std::size_t stored, std::uint8_t* out,
                       std::size_t target_length) {
  const std::size_t copied = std::min(stored, target_length);
  if (copied != 0) std::memmove(out, in, copied);
  if (target_length > copied) std::memset(out + copied, ' ', target_length - copied);
}

}  // namespace kovw::net
