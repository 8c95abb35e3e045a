#include "graphics/width_table_code.h"

#include <algorithm>
#include <cstring>

namespace kovw::graphics {

namespace {

constexpr std::size_t kMaxLiteralUnits = 128;
constexpr std::size_t kShortRepeatMax = 126;   // controls 131-255
constexpr std::size_t kByteRepeatMax = 256;    // control 129
constexpr std::size_t kWordRepeatMax = 65536;  // control 130
constexpr std::uint8_t kNoOperation = 128;
constexpr std::uint8_t kByteRepeat = 129;
constexpr std::uint8_t kWordRepeat = 130;

bool valid_unit(std::size_t unit_size) {
  return unit_size >= 1 && unit_size <= 4;
}

class Coder {
 public:
  Coder(std::span<const std::uint8_t> data, std::size_t unit) : data_(data), unit_(unit) {
    out_.reserve(width_code_bound(data.size() / unit, unit));
  }

  std::vector<std::uint8_t> run() {
    const std::size_t count = data_.size() / unit_;
    std::size_t literal_start = 0;
    std::size_t i = 0;
    while (i < count) {
      std::size_t run = 1;
      while (i + run < count && same(i, i + run)) ++run;
      if (run < 2) {
        ++i;
        continue;
      }
      put_literals(literal_start, i);
      put_repeat(i, run);
      i += run;
      literal_start = i;
    }
    put_literals(literal_start, count);
    return std::move(out_);
  }

 private:
  bool same(std::size_t a, std::size_t b) const {
    return std::memcmp(data_.data() + a * unit_, data_.data() + b * unit_, unit_) == 0;
  }

  void put_unit(std::size_t index) {
    const std::uint8_t* p = data_.data() + index * unit_;
    out_.insert(out_.end(), p, p + unit_);
  }

  void put_literals(std::size_t from, std::size_t to) {
    while (from < to) {
      const std::size_t piece = std::min(to - from, kMaxLiteralUnits);
      out_.push_back(static_cast<std::uint8_t>(piece - 1));
      for (std::size_t k = 0; k < piece; ++k) put_unit(from + k);
      from += piece;
    }
  }

  void put_repeat(std::size_t index, std::size_t copies) {
    while (copies > 0) {
      std::size_t piece = std::min(copies, kWordRepeatMax);
      // A single unit left over from a very long run goes out as a literal.
      if (piece == 1) {
        out_.push_back(0);
      } else if (piece <= kShortRepeatMax) {
        out_.push_back(static_cast<std::uint8_t>(257 - piece));
      } else if (piece <= kByteRepeatMax) {
        out_.push_back(kByteRepeat);
        out_.push_back(static_cast<std::uint8_t>(piece - 1));
      } else {
        out_.push_back(kWordRepeat);
        out_.push_back(static_cast<std::uint8_t>((piece - 1) >> 8));
        out_.push_back(static_cast<std::uint8_t>((piece - 1) & 0xFF));
      }
      put_unit(index);
      copies -= piece;
    }
  }

  std::span<const std::uint8_t> data_;
  std::size_t unit_;
  std::vector<std::uint8_t> out_;
};

}  // namespace

std::vector<std::uint8_t> encode_width_table(std::span<const std::uint8_t> data,
                                             std::size_t unit_size) {
  if (!valid_unit(unit_size)) return {};
  return Coder(data, unit_size).run();
}

std::optional<std::vector<std::uint8_t>> decode_width_table(std::span<const std::uint8_t> coded,
                                                            std::size_t unit_size,
                                                            std::size_t max_bytes) {
  if (!valid_unit(unit_size)) return std::nullopt;
  std::vector<std::uint8_t> out;
  std::size_t p = 0;
  const std::size_t n = coded.size();
  while (p < n) {
    const std::uint8_t control = coded[p++];
    if (control == kNoOperation) continue;
    std::size_t copies = 0;
    if (control < kNoOperation) {
      const std::size_t bytes = (std::size_t{control} + 1) * unit_size;
      if (n - p < bytes || max_bytes - out.size() < bytes) return std::nullopt;
      out.insert(out.end(), coded.begin() + static_cast<std::ptrdiff_t>(p),
                 coded.begin() + static_cast<std::ptrdiff_t>(p + bytes));
      p += bytes;
      continue;
    }
    if (control == kByteRepeat) {
      if (n - p < 1) return std::nullopt;
      copies = std::size_t{coded[p]} + 1;
      p += 1;
    } else if (control == kWordRepeat) {
      if (n - p < 2) return std::nullopt;
      copies = (std::size_t{coded[p]} << 8 | coded[p + 1]) + 1;
      p += 2;
    } else {
      copies = 257 - std::size_t{control};
    }
    if (n - p < unit_size) return std::nullopt;
    if ((max_bytes - out.size()) / unit_size < copies) return std::nullopt;
    const std::size_t start = out.size();
    out.resize(start + copies * unit_size);
    for (std::size_t k = 0; k < copies; ++k)
      std::memcpy(out.data() + start + k * unit_size, coded.data() + p, unit_size);
    p += unit_size;
  }
  return out;
}

}  // namespace kovw::graphics
